// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Saving into a shared INI file on its own: files reached through a link,
// places where no save can happen, and what a change leaves behind.
#include "inifilesave.h"
#include "sfpcoretest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSettings>
#include <QSize>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace {

// With a number set, every fsync() in this process fails with it, as on a
// disk that cannot take the data.
int fsyncFailure = 0;

} // namespace

// Stands in for the C library's fsync(), for this test's program only.
extern "C" int fsync(int fd)
{
    if (fsyncFailure != 0) {
        errno = fsyncFailure;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

using sfptest::fileContents;
using sfptest::writeFile;

namespace {

// A socket bound at `path`: a name in the folder that no file can be read
// from. The descriptor stays open until the test ends.
int bindSocket(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return -1;
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(path);
    if (size_t(native.size()) >= sizeof address.sun_path) {
        ::close(fd);
        return -1;
    }
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)
                   .size());
}

} // namespace

class tst_IniFileSave final : public QObject
{
    Q_OBJECT

private slots:
    void savedThroughALink_data();
    void savedThroughALink();
    void noSavePossible_data();
    void noSavePossible();
    void changeLeftInsideAGroup();
    void savesLeaveNoDescriptorOpen();
    void keysWrittenBackAsOthers();
    void changedReadBackRefused();
    void unsyncedCopyRefused();
};

void tst_IniFileSave::savedThroughALink_data()
{
    QTest::addColumn<bool>("targetExists");

    QTest::newRow("link to a file") << true;
    QTest::newRow("link to a file yet to be made") << false;
}

void tst_IniFileSave::savedThroughALink()
{
    QFETCH(bool, targetExists);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString target = folder.filePath("shared/DefaultInstrDescr.ini");
    const QString link = folder.filePath("DefaultInstrDescr.ini");
    QVERIFY(QDir().mkpath(folder.filePath("shared")));
    if (targetExists)
        QVERIFY(writeFile(target, "[4720]\nLabel=bench 3\n"));
    QVERIFY(QFile::link(target, link));

    const sfp::iniFile::SaveResult result = sfp::iniFile::save(
        link, [](QSettings &file) { file.setValue(QStringLiteral("5170/1.FC_Number"), 4); });
    QVERIFY2(result.saved, qPrintable(result.reason));
    QCOMPARE(result.reason, QString());

    // The link stays a link; the file it names holds the change, and what
    // it held before.
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(link).symLinkTarget(), target);
    const QSettings saved(target, QSettings::IniFormat);
    QCOMPARE(saved.value("5170/1.FC_Number").toString(), QStringLiteral("4"));
    QCOMPARE(saved.value("4720/Label").toString(),
             targetExists ? QStringLiteral("bench 3") : QString());
    QCOMPARE(QDir(folder.filePath("shared")).entryList(QDir::Files),
             QStringList("DefaultInstrDescr.ini"));
}

void tst_IniFileSave::noSavePossible_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("reason"); // how the reason starts

    QTest::newRow("a socket where the file should be") << "socket"
                                                       << "the file cannot be read: ";
    // The name itself fits, the copy's longer name beside it does not.
    QTest::newRow("a name with no room for a copy's")
        << "long name"
        << "the file cannot be written: no copy can be made beside it: File name too long";
}

void tst_IniFileSave::noSavePossible()
{
    QFETCH(QString, what);
    QFETCH(QString, reason);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QString path;
    int socket = -1;
    if (what == QLatin1String("socket")) {
        path = folder.filePath("s.ini");
        socket = bindSocket(path);
        QVERIFY(socket >= 0);
    } else {
        path = folder.filePath(QString(250, QLatin1Char('d')) + ".ini");
    }
    const auto closeSocket = qScopeGuard([socket] {
        if (socket >= 0)
            ::close(socket);
    });

    bool changed = false;
    const sfp::iniFile::SaveResult result = sfp::iniFile::save(path, [&changed](QSettings &file) {
        file.setValue(QStringLiteral("5170/1.FC_Number"), 4);
        changed = true;
    });
    QVERIFY(!result.saved);
    QVERIFY2(result.reason.startsWith(reason), qPrintable(result.reason));
    QVERIFY(!changed);
    // Nothing written in its place, nothing left beside it.
    const QStringList left
        = QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    QCOMPARE(left, socket >= 0 ? QStringList("s.ini") : QStringList());
}

void tst_IniFileSave::changeLeftInsideAGroup()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath("DefaultInstrDescr.ini");
    QVERIFY(writeFile(path, "[4720]\nLabel=bench 3\n"));

    // The change ends inside two groups, and its values are numbers, a
    // flag and a list, which the file gives back as texts.
    const sfp::iniFile::SaveResult result = sfp::iniFile::save(path, [](QSettings &file) {
        file.beginGroup(QStringLiteral("5170"));
        file.setValue(QStringLiteral("1.FC_Number"), 4);
        file.setValue(QStringLiteral("Shared"), true);
        file.beginGroup(QStringLiteral("1"));
        file.setValue(QStringLiteral("Scale"), 2.5);
        file.setValue(
            QStringLiteral("Descriptors"),
            QStringList({QStringLiteral("VXI0::1::INSTR"), QStringLiteral("VXI0::2::INSTR")}));
    });
    QVERIFY2(result.saved, qPrintable(result.reason));

    const QByteArray written = fileContents(path);
    QVERIFY2(written.contains("[5170]\n"), written.constData());
    QVERIFY2(written.contains("1.FC_Number=4\n"), written.constData());
    QVERIFY2(written.contains("1\\Scale=2.5\n"), written.constData());
    QVERIFY2(written.contains("Shared=true\n"), written.constData());
    QVERIFY2(written.contains("1\\Descriptors=VXI0::1::INSTR, VXI0::2::INSTR\n"),
             written.constData());
    QVERIFY2(written.contains("[4720]\nLabel=bench 3\n"), written.constData());
    // Nothing of the change went to the top level.
    const QSettings saved(path, QSettings::IniFormat);
    QCOMPARE(saved.childKeys(), QStringList());
    QCOMPARE(sfp::iniFile::text(saved, QStringLiteral("5170/1/Descriptors")),
             QStringLiteral("VXI0::1::INSTR,VXI0::2::INSTR"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList("DefaultInstrDescr.ini"));
}

void tst_IniFileSave::savesLeaveNoDescriptorOpen()
{
    // The panel saves at every connection for as long as it runs: no save
    // keeps a descriptor open, also when the process has no standard input.
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath("DefaultInstrDescr.ini");
    QVERIFY(writeFile(path, "[4720]\nLabel=bench 3\n"));
    const auto saveOnce = [&path](int number) {
        return sfp::iniFile::save(path,
                                  [number](QSettings &file) {
                                      file.setValue(QStringLiteral("5170/1.FC_Number"), number);
                                  })
            .saved;
    };
    QVERIFY(saveOnce(1)); // whatever the toolkit opens once and keeps
    const int before = openDescriptors();
    for (int number = 2; number <= 9; ++number)
        QVERIFY(saveOnce(number));
    QCOMPARE(openDescriptors(), before);

    // Without standard input, what the save opens gets descriptor 0.
    // (It is put back afterwards, if the test had one.)
    const int input = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    ::close(STDIN_FILENO);
    const bool saved = saveOnce(10);
    const bool inputStillClosed = ::fcntl(STDIN_FILENO, F_GETFD) == -1;
    if (input >= 0) {
        ::dup2(input, STDIN_FILENO);
        ::close(input);
    }
    QVERIFY(saved);
    QVERIFY(inputStillClosed);
    QCOMPARE(QSettings(path, QSettings::IniFormat).value("5170/1.FC_Number").toInt(), 10);
}

void tst_IniFileSave::keysWrittenBackAsOthers()
{
    // QSettings reads the keys of a section without a name as "/x" and
    // would write them under [General] as "x": the file is left as it is.
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath("DefaultInstrDescr.ini");
    const QByteArray odd = "[]\nx=1\n[5170]\n1.1.Descriptor=VXI0::1::INSTR\n";
    QVERIFY(writeFile(path, odd));
    sfp::iniFile::SaveResult result = sfp::iniFile::save(
        path, [](QSettings &file) { file.setValue(QStringLiteral("5170/1.FC_Number"), 4); });
    QVERIFY(!result.saved);
    QCOMPARE(result.reason,
             QString("it holds a key that would be written back as another (\"/x\") and was left "
                     "as it is"));
    QCOMPARE(fileContents(path), odd);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList({"DefaultInstrDescr.ini"}));

    // Keys of [General] are written back as they were read.
    QVERIFY(writeFile(path, "[General]\nx=1\n"));
    result = sfp::iniFile::save(
        path, [](QSettings &file) { file.setValue(QStringLiteral("5170/1.FC_Number"), 4); });
    QVERIFY2(result.saved, qPrintable(result.reason));
    const QSettings saved(path, QSettings::IniFormat);
    QCOMPARE(saved.value("x").toString(), QStringLiteral("1"));
}

namespace {

// A key of a random save: the value it is set to, or, for a key the file
// already holds, the line another program wrote; and what the saved file
// must give back for it.
struct SavedKey
{
    QString key; // "section/name"
    QVariant set; // invalid for a key the file already holds
    QByteArray line; // the value as another program wrote it
    QVariant expected; // a text, or a size
};

QString randomText(QRandomGenerator &random)
{
    static const char letters[] = "abcxyzABCXYZ0189 .:-_,";
    QString text;
    const int length = random.bounded(13);
    for (int i = 0; i < length; ++i)
        text += QLatin1Char(letters[random.bounded(int(sizeof letters) - 1)]);
    return text;
}

QList<SavedKey> randomKeys(QRandomGenerator &random)
{
    static const char *const sections[] = {"5170", "4720", "6052", "Lab"};
    static const char *const names[]
        = {"1.FC_Number", "1.1.Descriptor", "Label", "Count", "Shared", "Scale", "x", "Room.2"};
    QList<SavedKey> keys;
    QStringList taken;
    const int count = random.bounded(1, 13);
    while (keys.size() < count) {
        SavedKey k;
        k.key = QStringLiteral("%1/%2").arg(QLatin1String(sections[random.bounded(4)]),
                                            QLatin1String(names[random.bounded(8)]));
        if (taken.contains(k.key))
            continue;
        taken << k.key;
        switch (random.bounded(7)) {
        case 0: {
            const int n = random.bounded(-1000, 100000);
            k.set = n;
            k.expected = QString::number(n);
            break;
        }
        case 1: {
            const bool flag = random.bounded(2);
            k.set = flag;
            k.expected = flag ? QStringLiteral("true") : QStringLiteral("false");
            break;
        }
        case 2: {
            static const double numbers[] = {2.5, 0.125, -3.75, 1000.5};
            static const char *const texts[] = {"2.5", "0.125", "-3.75", "1000.5"};
            const int which = random.bounded(4);
            k.set = numbers[which];
            k.expected = QLatin1String(texts[which]);
            break;
        }
        case 3: {
            // Another program's line, kept as it is: a text, a number, or
            // a size, which is no text at all.
            static const char *const lines[] = {"bench 3", "42", "@Size(3 4)", "VXI0::1::INSTR"};
            const int which = random.bounded(4);
            k.line = lines[which];
            k.expected = which == 2 ? QVariant(QSize(3, 4)) : QVariant(QLatin1String(lines[which]));
            break;
        }
        default: {
            const QString text = randomText(random);
            k.set = text;
            k.expected = text;
            break;
        }
        }
        keys << k;
    }
    return keys;
}

// The INI text another program wrote: its keys, grouped in sections.
QByteArray otherProgramsFile(const QList<SavedKey> &keys)
{
    QByteArray content;
    QString section;
    for (const SavedKey &k : keys) {
        if (k.set.isValid())
            continue;
        const QString keySection = k.key.section(QLatin1Char('/'), 0, 0);
        if (keySection != section)
            content += '[' + keySection.toLatin1() + "]\n";
        section = keySection;
        content += k.key.section(QLatin1Char('/'), 1).toLatin1() + '=' + k.line + '\n';
    }
    return content;
}

// Changes one value of the file at `path` behind the back of the QSettings
// that wrote it: the size and the time stamp stay, so that QSettings goes
// on answering with what it wrote, while the bytes read from the disk
// differ. One character of the value becomes another of its kind (a digit
// another digit, a letter another letter), or the whole value becomes
// blanks, which read as an empty text. With `blankedLine`, that line's
// value is the one blanked. Returns which line became what, or nothing when
// no value has a character to change.
QString changeOneValue(const QString &path, QRandomGenerator &random,
                       const QByteArray &blankedLine = QByteArray())
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QByteArray content = file.readAll();
    file.close();
    struct stat before = {};
    if (::stat(QFile::encodeName(path).constData(), &before) != 0)
        return QString();

    // Where each value starts and ends, for values with a character that can change.
    QList<std::pair<qsizetype, qsizetype>> values;
    for (qsizetype start = 0; start < content.size();) {
        qsizetype end = content.indexOf('\n', start);
        if (end < 0)
            end = content.size();
        const qsizetype equals = content.indexOf('=', start);
        const bool chosen = blankedLine.isEmpty() || content.mid(start, end - start) == blankedLine;
        if (content.at(start) != '[' && equals >= 0 && equals < end && chosen) {
            const QByteArray value = content.mid(equals + 1, end - equals - 1);
            if (std::any_of(value.cbegin(), value.cend(),
                            [](char c) { return std::isalnum(uchar(c)); }))
                values.append({equals + 1, end});
        }
        start = end + 1;
    }
    if (values.isEmpty())
        return QString();
    const auto [from, to] = values.at(random.bounded(values.size()));
    const QByteArray was = content.mid(from, to - from);
    if (!blankedLine.isEmpty() || random.bounded(4) == 0) {
        content.replace(from, to - from, QByteArray(to - from, ' '));
    } else {
        QList<qsizetype> places;
        for (qsizetype i = from; i < to; ++i) {
            if (std::isalnum(uchar(content.at(i))))
                places << i;
        }
        const qsizetype at = places.at(random.bounded(places.size()));
        const char c = content.at(at);
        const char first = std::isdigit(uchar(c)) ? '0' : std::isupper(uchar(c)) ? 'A' : 'a';
        const int kinds = std::isdigit(uchar(c)) ? 10 : 26;
        content[at] = char(first + (c - first + random.bounded(1, kinds)) % kinds);
    }
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return QString();
    file.close();
    const timespec times[2] = {before.st_atim, before.st_mtim};
    if (::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) != 0)
        return QString();
    return QStringLiteral("\"%1\" read back as \"%2\"")
        .arg(QString::fromLatin1(was), QString::fromLatin1(content.mid(from, to - from)));
}

} // namespace

// Random saves of texts, numbers and flags, beside keys another program
// wrote; in two saves of three the copy that is read back has one value
// changed from what was written: that save must fail and leave the file as
// it was, also when the changed value is still a text or a number.
void tst_IniFileSave::changedReadBackRefused()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());

    // First a value that is no text: a size another program wrote, read
    // back as blanks, which is an empty text. Neither is the text of the
    // other, though neither converts to a text other than empty.
    const QString sizePath = folder.filePath(QStringLiteral("Size.ini"));
    const QByteArray sizeFile = "[4720]\nSize=@Size(3 4)\n";
    QVERIFY(writeFile(sizePath, sizeFile));
    QRandomGenerator unused; // the blanked line is named
    QString blanked;
    const sfp::iniFile::SaveResult sizeResult = sfp::iniFile::save(sizePath, [&](QSettings &file) {
        file.setValue(QStringLiteral("5170/1.FC_Number"), 4);
        file.sync();
        blanked = changeOneValue(file.fileName(), unused, "Size=@Size(3 4)");
    });
    QCOMPARE(blanked, QStringLiteral("\"@Size(3 4)\" read back as \"          \""));
    QVERIFY2(!sizeResult.saved, "a size read back as blanks passed for the same value");
    QCOMPARE(fileContents(sizePath), sizeFile);
    QVERIFY(QFile::remove(sizePath));

    const quint32 seed = sfptest::testSeed();
    QRandomGenerator random(seed);
    int refused = 0;
    for (int round = 0; round < 100; ++round) {
        const QString path = folder.filePath(QStringLiteral("DefaultInstrDescr%1.ini").arg(round));
        const QList<SavedKey> keys = randomKeys(random);
        const QByteArray original = otherProgramsFile(keys);
        if (!original.isEmpty())
            QVERIFY(writeFile(path, original));
        const bool changeReadBack = random.bounded(3) > 0;
        QString changed;
        const sfp::iniFile::SaveResult result = sfp::iniFile::save(path, [&](QSettings &file) {
            for (const SavedKey &k : keys) {
                if (k.set.isValid())
                    file.setValue(k.key, k.set);
            }
            if (!changeReadBack)
                return;
            file.sync();
            changed = changeOneValue(file.fileName(), random);
        });
        QStringList listed;
        for (const SavedKey &k : keys)
            listed << k.key + QLatin1Char('=')
                    + (k.set.isValid() ? k.set.toString() : QString::fromLatin1(k.line));
        const QString what
            = QStringLiteral("seed %1, round %2, keys %3%4")
                  .arg(seed)
                  .arg(round)
                  .arg(listed.join(QStringLiteral("; ")),
                       changed.isEmpty() ? QString() : QStringLiteral(", ") + changed);
        if (!changed.isEmpty()) {
            ++refused;
            QVERIFY2(!result.saved, qPrintable(what));
            QVERIFY2(result.reason
                         == QLatin1String("the file cannot be written: its copy came out "
                                          "incomplete (is the disk full?)"),
                     qPrintable(what + QStringLiteral(": ") + result.reason));
            if (original.isEmpty())
                QVERIFY2(!QFileInfo::exists(path), qPrintable(what));
            else
                QVERIFY2(fileContents(path) == original, qPrintable(what));
        } else {
            QVERIFY2(result.saved, qPrintable(what + QStringLiteral(": ") + result.reason));
            const QSettings saved(path, QSettings::IniFormat);
            QStringList wanted;
            for (const SavedKey &k : keys)
                wanted << k.key;
            wanted.sort();
            QVERIFY2(saved.allKeys() == wanted, qPrintable(what));
            for (const SavedKey &k : keys) {
                const QVariant value = saved.value(k.key);
                const bool same = k.expected.typeId() == QMetaType::QSize
                    ? value == k.expected
                    : value.typeId() == QMetaType::QString
                        && value.toString() == k.expected.toString();
                QVERIFY2(same,
                         qPrintable(QStringLiteral("%1: %2 read back as %3")
                                        .arg(what, k.key, value.toString())));
            }
        }
        // Nothing left beside the file.
        QVERIFY2(QDir(folder.path())
                         .entryList(QDir::Files)
                         .filter(QStringLiteral("DefaultInstrDescr%1.").arg(round))
                         .size()
                     == (QFileInfo::exists(path) ? 1 : 0),
                 qPrintable(what));
    }
    // Most saves of two in three had a value to change.
    QVERIFY2(refused > 40, qPrintable(QString::number(refused)));
}

void tst_IniFileSave::unsyncedCopyRefused()
{
    // A copy the disk did not take is never renamed over the file: the
    // original stays, nothing is left beside it, and the reason is named.
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath("DefaultInstrDescr.ini");
    QVERIFY(sfptest::writeFile(path, "[5170]\n1.FC_Number=2\n"));
    fsyncFailure = EIO;
    const sfp::iniFile::SaveResult result = sfp::iniFile::save(
        path, [](QSettings &file) { file.setValue(QStringLiteral("5170/1.FC_Number"), 4); });
    fsyncFailure = 0;
    QVERIFY(!result.saved);
    QVERIFY2(result.reason.contains(QLatin1String("Input/output error")),
             qPrintable(result.reason));
    QCOMPARE(sfptest::fileContents(path), QByteArray("[5170]\n1.FC_Number=2\n"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
             QStringList("DefaultInstrDescr.ini"));

    // The same save on a disk that takes it.
    QVERIFY(sfp::iniFile::save(path, [](QSettings &file) {
                file.setValue(QStringLiteral("5170/1.FC_Number"), 4);
            }).saved);
    QCOMPARE(QSettings(path, QSettings::IniFormat).value("5170/1.FC_Number").toString(),
             QStringLiteral("4"));
}

QTEST_GUILESS_MAIN(tst_IniFileSave)
#include "tst_inifilesave.moc"
