// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Small files the user keeps (fixtures, counts, saved states, the platform's
// configuration): read within a limit and never waited on, replaced whole
// or not at all.
#include "sfpcoretest.h"
#include "smallfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using sfptest::fileContents;
using sfptest::writeFile;

class tst_SmallFile : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void replace();
    void replaceWhatIsNoFile();
    void replaceOnAFullDisk();
};

void tst_SmallFile::read_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("absent");
    QTest::addColumn<QString>("why");
    QTest::newRow("within the limit") << "100 bytes" << QByteArray(100, 'a') << false << "";
    QTest::newRow("one byte over")
        << "101 bytes" << QByteArray() << false << "is larger than 0 KiB";
    QTest::newRow("empty") << "0 bytes" << QByteArray() << false << "";
    QTest::newRow("absent") << "absent" << QByteArray() << true
                            << "cannot be read (No such file or directory)";
    QTest::newRow("under a file") << "under a file" << QByteArray() << true
                                  << "cannot be read (Not a directory)";
    QTest::newRow("a folder") << "folder" << QByteArray() << false << "is not a regular file";
    QTest::newRow("a FIFO, not waited on")
        << "fifo" << QByteArray() << false << "is not a regular file";
}

void tst_SmallFile::read()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, expected);
    QFETCH(bool, absent);
    QFETCH(QString, why);
    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("file"));
    if (kind.endsWith(QLatin1String(" bytes"))) {
        QVERIFY(writeFile(path, QByteArray(kind.section(QLatin1Char(' '), 0, 0).toInt(), 'a')));
    } else if (kind == QLatin1String("under a file")) {
        QVERIFY(writeFile(path, "x"));
        path += QStringLiteral("/inside");
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("file")));
    } else if (kind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }

    bool wasAbsent = !absent;
    QString said = QStringLiteral("unset");
    QCOMPARE(sfp::readSmallFile(path, 100, &wasAbsent, &said), expected);
    QCOMPARE(wasAbsent, absent);
    QCOMPARE(said, why);
}

void tst_SmallFile::replace()
{
    QTemporaryDir folder;
    // The folder is made; a new file gets the usual mode.
    const QString path = folder.filePath(QStringLiteral("a/b/state.json"));
    QCOMPARE(sfp::replaceFile(path, "first"), QString());
    QCOMPARE(fileContents(path), QByteArray("first"));

    // An old file's mode is kept, and nothing is left beside it.
    QVERIFY(QFile::setPermissions(
        path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    QCOMPARE(sfp::replaceFile(path, "second, longer"), QString());
    QCOMPARE(fileContents(path), QByteArray("second, longer"));
    struct stat status
    { };
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &status), 0);
    QCOMPARE(status.st_mode & 07777, mode_t(0640));
    QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files),
             QStringList {QStringLiteral("state.json")});

    // A private file is its owner's alone, whatever the old one's mode,
    // and so is a new one.
    QCOMPARE(sfp::replacePrivateFile(path, "secret"), QString());
    QCOMPARE(fileContents(path), QByteArray("secret"));
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &status), 0);
    QCOMPARE(status.st_mode & 07777, mode_t(0600));
    const QString fresh = folder.filePath(QStringLiteral("a/fresh"));
    QCOMPARE(sfp::replacePrivateFile(fresh, "secret"), QString());
    QCOMPARE(::stat(QFile::encodeName(fresh).constData(), &status), 0);
    QCOMPARE(status.st_mode & 07777, mode_t(0600));
}

void tst_SmallFile::replaceWhatIsNoFile()
{
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("target"));
    QVERIFY(writeFile(target, "kept"));
    const QString link = folder.filePath(QStringLiteral("link"));
    QVERIFY(QFile::link(target, link));
    const QString fifo = folder.filePath(QStringLiteral("fifo"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString inFolder = folder.filePath(QStringLiteral("folder"));
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("folder")));
    for (const QString &path : {link, fifo, inFolder})
        QCOMPARE(sfp::replaceFile(path, "new"),
                 QStringLiteral("it is not a regular file, and was left as it is"));
    QCOMPARE(fileContents(target), QByteArray("kept"));
    QVERIFY(QFileInfo(link).isSymLink());

    // A folder that cannot be made where a file is.
    QCOMPARE(sfp::replaceFile(target + QStringLiteral("/inside"), "new"),
             QStringLiteral("its folder cannot be made"));
    QCOMPARE(QDir(folder.path())
                 .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                 .size(),
             4);
}

void tst_SmallFile::replaceOnAFullDisk()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("counts.json"));
    QVERIFY(writeFile(path, "old"));
    // A file size limit stands in for a full disk: the write is cut short.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit before {};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit limit = before;
    limit.rlim_cur = 4;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const QString why = sfp::replaceFile(path, "longer than four bytes");
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &before), 0);
    QCOMPARE(why, QStringLiteral("File too large"));
    QCOMPARE(fileContents(path), QByteArray("old"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files),
             QStringList {QStringLiteral("counts.json")});
}

QTEST_GUILESS_MAIN(tst_SmallFile)
#include "tst_smallfile.moc"
