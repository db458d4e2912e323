// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Saving into a shared INI file on its own: files reached through a link,
// places where no save can happen, and what a change leaves behind.
#include "inifilesave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

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

    const QByteArray written = readFile(path);
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
    QCOMPARE(readFile(path), odd);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList({"DefaultInstrDescr.ini"}));

    // Keys of [General] are written back as they were read.
    QVERIFY(writeFile(path, "[General]\nx=1\n"));
    result = sfp::iniFile::save(
        path, [](QSettings &file) { file.setValue(QStringLiteral("5170/1.FC_Number"), 4); });
    QVERIFY2(result.saved, qPrintable(result.reason));
    const QSettings saved(path, QSettings::IniFormat);
    QCOMPARE(saved.value("x").toString(), QStringLiteral("1"));
}

QTEST_GUILESS_MAIN(tst_IniFileSave)
#include "tst_inifilesave.moc"
