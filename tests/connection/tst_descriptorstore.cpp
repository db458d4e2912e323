// DefaultInstrDescr.ini without the dialog: where it lives, the history
// rule, how stored numbers are read, and how one model's section is
// written into a file that others share.
#include "connectiontest.h"
#include "descriptorstore.h"
#include "sfptest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTest>

#include <climits>

using namespace connectiontest;
namespace store = sfpDescriptorStore;

namespace {

const QByteArray relaySection = "[5170]\n1.FC_Number=3\n";

// Every key of `original` outside [5170] reads the same from `result`, and
// [5170] holds exactly the keys of relaySection.
void checkOtherSectionsKept(const QByteArray &original, const QByteArray &result)
{
    QVariantMap before = iniValues(original);
    QVariantMap after = iniValues(result);
    for (auto it = before.begin(); it != before.end();) {
        if (it.key().startsWith(QLatin1String("5170/")))
            it = before.erase(it);
        else
            ++it;
    }
    QCOMPARE(after.take(QStringLiteral("5170/1.FC_Number")), QVariant(QStringLiteral("3")));
    QCOMPARE(after, before);
}

} // namespace

class tst_DescriptorStore final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    // where the file lives
    void windowsPath_data();
    void windowsPath();
    void otherSystemsPath_data();
    void otherSystemsPath();
    void pathFromEnvironment();

    // what is stored and how it is read back
    void history_data();
    void history();
    void fcNumberIndex_data();
    void fcNumberIndex();
    void countIndex_data();
    void countIndex();
    void keys();
    void readerOnBadFiles_data();
    void readerOnBadFiles();

    // writing one section into a shared file
    void replaceSection_data();
    void replaceSection();
    void replaceSectionRefusesWhatWouldNotReadBack_data();
    void replaceSectionRefusesWhatWouldNotReadBack();
    void replaceSectionAgreesWithQSettings();
    void writerCreatesAReadableFile();
    void writerKeepsOtherSectionsByteForByte();
    void writerOnUnwritableLocations_data();
    void writerOnUnwritableLocations();
    void writerLeavesAFileItCannotExtendAlone();

private:
    std::unique_ptr<TemporaryProfile> m_profile;
};

void tst_DescriptorStore::initTestCase()
{
    m_profile = std::make_unique<TemporaryProfile>();
    QVERIFY(m_profile->isValid());
}

void tst_DescriptorStore::init()
{
    m_profile->clear();
    qputenv("ALLUSERSPROFILE", m_profile->allUsersFolder().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_profile->configFolder().toLocal8Bit());
}

void tst_DescriptorStore::windowsPath_data()
{
    QTest::addColumn<QString>("allUsersProfile");
    QTest::addColumn<QString>("path");
    QTest::newRow("common folder") << "C:\\ProgramData"
                                   << "C:\\ProgramData\\Tarvex\\DefaultInstrDescr.ini";
    QTest::newRow("not set") << ""
                             << "c:\\vxipnp\\Tarvex\\DefaultInstrDescr.ini";
}

void tst_DescriptorStore::windowsPath()
{
    QFETCH(QString, allUsersProfile);
    QFETCH(QString, path);
    QCOMPARE(store::windowsIniFilePath(allUsersProfile), path);
}

void tst_DescriptorStore::otherSystemsPath_data()
{
    QTest::addColumn<QString>("allUsersProfile");
    QTest::addColumn<QString>("configFolder");
    QTest::addColumn<QString>("path");
    QTest::newRow("common folder") << "/srv/all-users"
                                   << "/home/op/.config"
                                   << "/srv/all-users/Tarvex/DefaultInstrDescr.ini";
    QTest::newRow("common folder with slash") << "/srv/all-users/"
                                              << "/home/op/.config"
                                              << "/srv/all-users/Tarvex/DefaultInstrDescr.ini";
    QTest::newRow("not set") << ""
                             << "/home/op/.config"
                             << "/home/op/.config/Tarvex/DefaultInstrDescr.ini";
}

void tst_DescriptorStore::otherSystemsPath()
{
    QFETCH(QString, allUsersProfile);
    QFETCH(QString, configFolder);
    QFETCH(QString, path);
    QCOMPARE(store::otherSystemsIniFilePath(allUsersProfile, configFolder),
             QDir::toNativeSeparators(path));
}

void tst_DescriptorStore::pathFromEnvironment()
{
#ifdef Q_OS_WIN
    QSKIP("The Windows rule is checked through windowsIniFilePath");
#else
    QCOMPARE(store::iniFilePath(), m_profile->iniFile());

    // Set but empty, and not set at all: the user's configuration folder.
    const QString inConfig = m_profile->configFolder() + "/Tarvex/DefaultInstrDescr.ini";
    qputenv("ALLUSERSPROFILE", QByteArray());
    QCOMPARE(store::iniFilePath(), inConfig);
    qunsetenv("ALLUSERSPROFILE");
    QCOMPARE(store::iniFilePath(), inConfig);
    QVERIFY(!store::iniFilePath().contains(QLatin1Char('\\')));
#endif
}

void tst_DescriptorStore::history_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("new one goes first")
        << "D" << QStringList {"A", "B", "C"} << QStringList {"D", "A", "B", "C"};
    QTest::newRow("sixth drops the oldest")
        << "F" << QStringList {"A", "B", "C", "D", "E"} << QStringList {"F", "A", "B", "C", "D"};
    QTest::newRow("chosen old one moves up")
        << "C" << QStringList {"A", "B", "C", "D", "E"} << QStringList {"C", "A", "B", "D", "E"};
    QTest::newRow("already first") << "A" << QStringList {"A", "B"} << QStringList {"A", "B"};
    QTest::newRow("repeats kept once")
        << "A" << QStringList {"B", "B", "A", "C", "B"} << QStringList {"A", "B", "C"};
    QTest::newRow("exact comparison") << "vxi0::1::instr" << QStringList {"VXI0::1::INSTR"}
                                      << QStringList {"vxi0::1::instr", "VXI0::1::INSTR"};
    QTest::newRow("blanks are text") << " A" << QStringList {"A"} << QStringList {" A", "A"};
    QTest::newRow("empty current") << "" << QStringList {"A"} << QStringList {"", "A"};
    QTest::newRow("no entries") << "A" << QStringList() << QStringList {"A"};
}

void tst_DescriptorStore::history()
{
    QFETCH(QString, current);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, expected);
    QCOMPARE(store::history(current, entries), expected);
}

void tst_DescriptorStore::fcNumberIndex_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("index");
    QTest::newRow("Select") << 0 << 0;
    QTest::newRow("FC 1") << 1 << 1;
    QTest::newRow("FC 8") << 8 << 8;
    QTest::newRow("9") << 9 << 0;
    QTest::newRow("-1") << -1 << 0;
    QTest::newRow("INT_MAX") << INT_MAX << 0;
    QTest::newRow("INT_MIN") << INT_MIN << 0;
}

void tst_DescriptorStore::fcNumberIndex()
{
    QFETCH(int, stored);
    QFETCH(int, index);
    QCOMPARE(store::fcNumberIndex(stored), index);
}

void tst_DescriptorStore::countIndex_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("index");
    QTest::newRow("1") << 1 << 0;
    QTest::newRow("2") << 2 << 1;
    QTest::newRow("8") << 8 << 7;
    QTest::newRow("0") << 0 << 0;
    QTest::newRow("9") << 9 << 0;
    QTest::newRow("-1") << -1 << 0;
    QTest::newRow("INT_MIN") << INT_MIN << 0;
    QTest::newRow("INT_MAX") << INT_MAX << 0;
}

void tst_DescriptorStore::countIndex()
{
    QFETCH(int, stored);
    QFETCH(int, index);
    QCOMPARE(store::countIndex(stored), index);
}

void tst_DescriptorStore::keys()
{
    QCOMPARE(store::descriptorKey(1, 1), QString("1.1.Descriptor"));
    QCOMPARE(store::descriptorKey(8, 5), QString("8.5.Descriptor"));
    QCOMPARE(store::fcNumberKey(1), QString("1.FC_Number"));
    QCOMPARE(store::countKey(), QString("FC_Count"));
}

void tst_DescriptorStore::readerOnBadFiles_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("descriptor"); // 1.1.Descriptor
    QTest::addColumn<int>("fcNumber"); // 1.FC_Number, default 0
    QTest::addColumn<int>("count"); // FC_Count, default 1

    QByteArray binary;
    QRandomGenerator random(5170);
    for (int i = 0; i < 4096; ++i)
        binary.append(char(random.bounded(256)));
    const QString longDescriptor = QString(10000, QLatin1Char('A'));

    QTest::newRow("no file") << false << QByteArray() << "" << 0 << 1;
    QTest::newRow("empty") << true << QByteArray() << "" << 0 << 1;
    QTest::newRow("garbage") << true << QByteArray("this is no INI file\n{}[]==;;\n\\\"\n") << ""
                             << 0 << 1;
    QTest::newRow("binary") << true << binary << "" << 0 << 1;
    QTest::newRow("binary in the section")
        << true << QByteArray("[5170]\n") + binary << "" << 0 << 1;
    QTest::newRow("other model only") << true
                                      << QByteArray("[6052]\n1.1.Descriptor=X\n"
                                                    "1.FC_Number=4\nFC_Count=3\n")
                                      << "" << 0 << 1;
    QTest::newRow("readable values") << true
                                     << QByteArray("[5170]\n1.1.Descriptor=VXI0::1::INSTR\n"
                                                   "1.FC_Number=2\nFC_Count=1\n")
                                     << "VXI0::1::INSTR" << 2 << 1;
    QTest::newRow("not numbers") << true << QByteArray("[5170]\n1.FC_Number=abc\nFC_Count=two\n")
                                 << "" << 0 << 0;
    QTest::newRow("fractions") << true << QByteArray("[5170]\n1.FC_Number=2.5\nFC_Count=1e1\n")
                               << "" << 0 << 0;
    QTest::newRow("huge") << true
                          << QByteArray("[5170]\n1.FC_Number=99999999999\n"
                                        "FC_Count=-99999999999999999999999\n")
                          << "" << 0 << 0;
    QTest::newRow("int limits") << true
                                << QByteArray("[5170]\n1.FC_Number=2147483647\n"
                                              "FC_Count=-2147483648\n")
                                << "" << INT_MAX << INT_MIN;
    QTest::newRow("number lists") << true << QByteArray("[5170]\n1.FC_Number=1,2\nFC_Count=1,2\n")
                                  << "" << 0 << 0;
    QTest::newRow("list as text") << true
                                  << QByteArray("[5170]\n1.1.Descriptor=VXI0::1::INSTR, "
                                                "VXI0::5::INSTR\n")
                                  << "VXI0::1::INSTR,VXI0::5::INSTR" << 0 << 1;
    QTest::newRow("quoted") << true << QByteArray("[5170]\n1.1.Descriptor=\"VXI0::1::INSTR\"\n")
                            << "VXI0::1::INSTR" << 0 << 1;
    QTest::newRow("10000 characters")
        << true << QByteArray("[5170]\n1.1.Descriptor=") + longDescriptor.toLatin1() + "\n"
        << longDescriptor << 0 << 1;
    QTest::newRow("non-Latin-1") << true
                                 << QString("[5170]\n1.1.Descriptor=ТСРIP::測試::INSTR\n").toUtf8()
                                 << "ТСРIP::測試::INSTR" << 0 << 1;
    QTest::newRow("byte array") << true
                                << QByteArray("[5170]\n1.1.Descriptor=@ByteArray(VXI0::1::INSTR)\n")
                                << "VXI0::1::INSTR" << 0 << 1;
    const QByteArray variantGarbage = QByteArray("[5170]\n1.1.Descriptor=@Variant(")
        + QByteArray("\0\0\0\x7f\xff\xff\xff\xff\x01", 9) + ")\n1.FC_Number=@Variant("
        + QByteArray("\0\0\0\x02\0\0\0\x05", 8) + ")\nFC_Count=@Rect(1 2 3 4)\n";
    QTest::newRow("variant garbage") << true << variantGarbage << "" << 5 << 0;
}

void tst_DescriptorStore::readerOnBadFiles()
{
    QFETCH(bool, present);
    QFETCH(QByteArray, content);
    QFETCH(QString, descriptor);
    QFETCH(int, fcNumber);
    QFETCH(int, count);

    if (present)
        QVERIFY(writeFile(m_profile->iniFile(), content));
    const store::Reader reader(m_profile->iniFile(), QStringLiteral("5170"));
    QCOMPARE(reader.text(store::descriptorKey(1, 1)), descriptor);
    QCOMPARE(reader.number(store::fcNumberKey(1), 0), fcNumber);
    QCOMPARE(reader.number(store::countKey(), 1), count);
    // Reading never changes the file.
    QCOMPARE(QFile::exists(m_profile->iniFile()), present);
    if (present)
        QCOMPARE(readFile(m_profile->iniFile()), content);
}

void tst_DescriptorStore::replaceSection_data()
{
    QTest::addColumn<QByteArray>("original");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty file") << QByteArray() << relaySection;
    QTest::newRow("appended") << QByteArray("[6052]\nx=1\n")
                              << QByteArray("[6052]\nx=1\n\n") + relaySection;
    QTest::newRow("appended after a last line without break")
        << QByteArray("[6052]\nx=1") << QByteArray("[6052]\nx=1\n\n") + relaySection;
    QTest::newRow("general keys only")
        << QByteArray("top=1\n") << QByteArray("top=1\n\n") + relaySection;
    QTest::newRow("replaced in the middle")
        << QByteArray("; head\n[6052]\nx = 1 ; note\n\n[5170]\n1.FC_Number=7\nold=1\n"
                      "; about 4720\n[4720]\ny=\"a,b\"\n")
        << QByteArray("; head\n[6052]\nx = 1 ; note\n\n[5170]\n1.FC_Number=3\n"
                      "; about 4720\n[4720]\ny=\"a,b\"\n");
    QTest::newRow("replaced at the end without break")
        << QByteArray("[6052]\nx=1\n[5170]\n1.FC_Number=7")
        << QByteArray("[6052]\nx=1\n[5170]\n1.FC_Number=3");
    QTest::newRow("two old sections") << QByteArray("[5170]\na=1\n[6052]\nx=1\n[5170]\nb=2\n")
                                      << QByteArray("[5170]\n1.FC_Number=3\n[6052]\nx=1\n\n");
    QTest::newRow("header with blanks") << QByteArray("[ 5170 ]\na=1\n[6052]\nx=1\n")
                                        << QByteArray("[5170]\n1.FC_Number=3\n[6052]\nx=1\n");
    QTest::newRow("garbage lines of the section go")
        << QByteArray("[5170]\nno equals here\na=1\n[6052]\nx=1\n")
        << QByteArray("[5170]\n1.FC_Number=3\n[6052]\nx=1\n");
    QTest::newRow("Windows line ends") << QByteArray("[6052]\r\nx=1\r\n[5170]\r\n1.FC_Number=7\r\n")
                                       << QByteArray("[6052]\r\nx=1\r\n[5170]\n1.FC_Number=3\r\n");
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[5170]\nk=1\n")
                                     << QByteArray("\xEF\xBB\xBF[5170]\n1.FC_Number=3\n");
    QTest::newRow("header inside a quoted value")
        << QByteArray("[6052]\nx=\"a\n[5170]\nb\"\n")
        << QByteArray("[6052]\nx=\"a\n[5170]\nb\"\n\n") + relaySection;
    QTest::newRow("header in a comment")
        << QByteArray("; [5170]\n") << QByteArray("; [5170]\n\n") + relaySection;
    QTest::newRow("escaped line break")
        << QByteArray("[6052]\nx=a\\\n[5170]\nk=1\n")
        << QByteArray("[6052]\nx=a\\\n[5170]\nk=1\n\n") + relaySection;
}

void tst_DescriptorStore::replaceSection()
{
    QFETCH(QByteArray, original);
    QFETCH(QByteArray, expected);
    const std::optional<QByteArray> result = store::replaceSection(original, relaySection);
    QVERIFY(result);
    QCOMPARE(*result, expected);
    checkOtherSectionsKept(original, *result);
}

void tst_DescriptorStore::replaceSectionRefusesWhatWouldNotReadBack_data()
{
    QTest::addColumn<QByteArray>("original");
    QTest::newRow("open quote at the end") << QByteArray("[6052]\nx=\"abc");
    QTest::newRow("backslash at the end") << QByteArray("[6052]\nx=abc\\");
}

void tst_DescriptorStore::replaceSectionRefusesWhatWouldNotReadBack()
{
    QFETCH(QByteArray, original);
    QVERIFY(!store::replaceSection(original, relaySection));
}

void tst_DescriptorStore::replaceSectionAgreesWithQSettings()
{
    // Files made of the characters that matter to the INI reader: whatever
    // they hold, the result either reads back with the new section and all
    // other keys unchanged, or is refused.
    const QList<QByteArray> pieces
        = {"[", "]",  "\"", ";",    "=",      "\\",     "\n",  "\r",
           " ", "\t", "a",  "5170", "[5170]", "[6052]", "k=v", "\n[5170]\n"};
    QRandomGenerator random(6052);
    int written = 0;
    for (int round = 0; round < 300; ++round) {
        QByteArray original;
        const int length = random.bounded(40);
        for (int i = 0; i < length; ++i)
            original += pieces.at(random.bounded(int(pieces.size())));
        const std::optional<QByteArray> result = store::replaceSection(original, relaySection);
        if (!result)
            continue;
        ++written;
        checkOtherSectionsKept(original, *result);
        if (QTest::currentTestFailed()) {
            qWarning("original: %s", original.toPercentEncoding().constData());
            return;
        }
    }
    // Most of them can take the section.
    QVERIFY2(written > 150, qPrintable(QString::number(written)));
}

void tst_DescriptorStore::writerCreatesAReadableFile()
{
    const QString path = m_profile->iniFile();
    QVERIFY(!QFileInfo::exists(QFileInfo(path).absolutePath()));

    store::Writer writer(path, QStringLiteral("5170"));
    writer.setText(store::descriptorKey(1, 1), QStringLiteral("first"));
    writer.setText(store::descriptorKey(1, 1), QStringLiteral("TCPIP::192.168.2.100::INSTR"));
    writer.setText(store::descriptorKey(1, 2), QStringLiteral("a,b;c=d"));
    writer.setText(store::descriptorKey(1, 3), QString());
    writer.setNumber(store::fcNumberKey(1), 2);
    writer.setNumber(store::countKey(), 1);
    QVERIFY(writer.commit());

    // For a person: plain lines in the model's section.
    const QByteArray content = readFile(path);
    const QList<QByteArray> lines = content.split('\n');
    QCOMPARE(lines.first(), QByteArray("[5170]"));
    QVERIFY(lines.contains("1.1.Descriptor=TCPIP::192.168.2.100::INSTR"));
    QVERIFY(lines.contains("1.3.Descriptor="));
    QVERIFY(lines.contains("1.FC_Number=2"));
    QVERIFY(lines.contains("FC_Count=1"));

    // For QSettings: the values as they were set, the last one of a key.
    QCOMPARE(iniValue(content, "5170/1.1.Descriptor").toString(),
             QString("TCPIP::192.168.2.100::INSTR"));
    QCOMPARE(iniValue(content, "5170/1.2.Descriptor").toString(), QString("a,b;c=d"));
    QVERIFY(iniContains(content, "5170/1.3.Descriptor"));
    QCOMPARE(iniValue(content, "5170/1.3.Descriptor").toString(), QString());
    QCOMPARE(iniValue(content, "5170/1.FC_Number").toInt(), 2);

    // And through the Reader.
    const store::Reader reader(path, QStringLiteral("5170"));
    QCOMPARE(reader.text(store::descriptorKey(1, 2)), QString("a,b;c=d"));
    QCOMPARE(reader.number(store::fcNumberKey(1), 0), 2);
}

void tst_DescriptorStore::writerKeepsOtherSectionsByteForByte()
{
    const QByteArray before
        = "; written by hand\n[6052]\n1.1.Descriptor = VXI0::9::INSTR ; rack 2\n"
          "list=a,b\n\n";
    const QByteArray oldSection = "[5170]\n1.1.Descriptor=old\n1.FC_Number=1\n";
    const QByteArray after = "\n[4720]\nflag=@Rect(1 2 3 4)\n[General]\nx=1\n";
    const QString path = m_profile->iniFile();
    QVERIFY(writeFile(path, before + oldSection + after));

    for (int round = 0; round < 3; ++round) {
        store::Writer writer(path, QStringLiteral("5170"));
        writer.setText(store::descriptorKey(1, 1), QStringLiteral("new %1").arg(round));
        writer.setNumber(store::fcNumberKey(1), round);
        QVERIFY(writer.commit());
        const QByteArray content = readFile(path);
        QVERIFY2(content.startsWith(before), content.constData());
        QVERIFY2(content.endsWith(after), content.constData());
        QVERIFY(!content.contains("old"));
        const store::Reader reader(path, QStringLiteral("5170"));
        QCOMPARE(reader.text(store::descriptorKey(1, 1)), QStringLiteral("new %1").arg(round));
        QCOMPARE(reader.number(store::fcNumberKey(1), -1), round);
    }
}

void tst_DescriptorStore::writerOnUnwritableLocations_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder under a file") << "folder under a file";
    QTest::newRow("file is a folder") << "file is a folder";
}

void tst_DescriptorStore::writerOnUnwritableLocations()
{
    QFETCH(QString, kind);
    QString path;
    if (kind == "folder under a file") {
        const QString blocker = m_profile->allUsersFolder() + "/blocker";
        QVERIFY(writeFile(blocker, "not a folder"));
        path = blocker + "/Tarvex/DefaultInstrDescr.ini";
    } else {
        path = m_profile->iniFile();
        QVERIFY(QDir().mkpath(path));
    }
    store::Writer writer(path, QStringLiteral("5170"));
    writer.setText(store::descriptorKey(1, 1), QStringLiteral("VXI0::1::INSTR"));
    QVERIFY(!writer.commit());

    const store::Reader reader(path, QStringLiteral("5170"));
    QCOMPARE(reader.text(store::descriptorKey(1, 1)), QString());
    QCOMPARE(reader.number(store::countKey(), 1), 1);
}

void tst_DescriptorStore::writerLeavesAFileItCannotExtendAlone()
{
    const QByteArray content = "[6052]\nx=\"unterminated";
    const QString path = m_profile->iniFile();
    QVERIFY(writeFile(path, content));
    store::Writer writer(path, QStringLiteral("5170"));
    writer.setText(store::descriptorKey(1, 1), QStringLiteral("VXI0::1::INSTR"));
    QVERIFY(!writer.commit());
    QCOMPARE(readFile(path), content);
}

SFPTEST_MAIN(tst_DescriptorStore)
#include "tst_descriptorstore.moc"
