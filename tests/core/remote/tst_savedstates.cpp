// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The saved states without the remote control: the card's name and the
// folder of its slots, the data folder under the XDG rules, slots that are
// not regular files, and reasons that name no path.
#include "cardheader.h"
#include "cardstate.h"
#include "savedstates.h"
#include "sfpcoretest.h"
#include "userfolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace savedStates = sfp::savedStates;
namespace userFolders = sfp::userFolders;
using sfptest::EnvironmentChange;
using sfptest::writeFile;

namespace {

// With this set, a write to a regular file in this process takes all but
// the last byte and says it took them all: a disk whose word is not good.
bool writesFallShort = false;

} // namespace

// Stands in for the C library's write(), for this test's program only.
extern "C" ssize_t write(int fd, const void *buf, size_t n)
{
    struct stat status
    { };
    if (writesFallShort && n > 1 && ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        const auto written = ::syscall(SYS_write, fd, buf, n - 1);
        return written < 0 ? -1 : static_cast<ssize_t>(n);
    }
    return static_cast<ssize_t>(::syscall(SYS_write, fd, buf, n));
}

namespace {

sfp::CardState someState()
{
    sfp::CardState state;
    state.closed[2] = true;
    state.closed[31] = true;
    state.mode = sfp::SwitchingMode::SyncCommand;
    return state;
}

// What stands at path itself, a symbolic link not followed.
mode_t kindAt(const QString &path)
{
    struct stat status
    { };
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & S_IFMT : 0;
}

} // namespace

class tst_SavedStates final : public QObject
{
    Q_OBJECT

private slots:
    void cardId_data();
    void cardId();
    void cardFolder_data();
    void cardFolder();
    void dataFolderFollowsXdg();
    void twoCardsKeepTheirOwnSlots();
    void slotsThatAreNotFiles();
    void recallOfAFifoDoesNotWait();
    void reasonsNameNoPath();
    void slotKeptWhenTheDiskFailsIt();
};

void tst_SavedStates::cardId_data()
{
    QTest::addColumn<QString>("resource");
    QTest::addColumn<int>("fcNumber");
    QTest::addColumn<QString>("id");

    QTest::newRow("VXI") << "VXI0::1::INSTR" << 2 << "VXI0::1::INSTR/FC2";
    QTest::newRow("LXI") << "TCPIP0::192.168.2.100::inst0::INSTR" << 1
                         << "TCPIP0::192.168.2.100::inst0::INSTR/FC1";
    QTest::newRow("printable ASCII kept") << "!~A[z]" << 12 << "!~A[z]/FC12";
    QTest::newRow("comma and semicolon") << "a,b;c" << 3 << "a_b_c/FC3";
    QTest::newRow("blank and controls") << "a b\tc\nd\x7f" << 4 << "a_b_c_d_/FC4";
    QTest::newRow("beyond ASCII") << QStringLiteral("Prüf\u00a0stand") << 5 << "Pr_f_stand/FC5";
    QTest::newRow("nothing from VISA or the operator") << "" << 2 << "/FC2";
}

void tst_SavedStates::cardId()
{
    QFETCH(QString, resource);
    QFETCH(int, fcNumber);
    QFETCH(QString, id);
    QCOMPARE(sfp::cardId(resource, fcNumber), id);
}

void tst_SavedStates::cardFolder_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("folder");

    QTest::newRow("VXI card") << "VXI0::1::INSTR/FC2"
                              << "/data/VXI0::1::INSTR%2FFC2";
    QTest::newRow("LXI card") << "TCPIP0::192.168.2.100::INSTR/FC1"
                              << "/data/TCPIP0::192.168.2.100::INSTR%2FFC1";
    QTest::newRow("demo mode") << "DEMO"
                               << "/data/DEMO";
    // Two ids that an unencoded '%' would give one folder.
    QTest::newRow("percent") << "a%2Fb"
                             << "/data/a%252Fb";
    QTest::newRow("slash") << "a/b"
                           << "/data/a%2Fb";
    QTest::newRow("upwards") << "../../etc/FC1"
                             << "/data/..%2F..%2Fetc%2FFC1";
    QTest::newRow("the folder above") << ".."
                                      << "/data/%2E%2E";
    QTest::newRow("the folder itself") << "."
                                       << "/data/%2E";
    QTest::newRow("nothing") << ""
                             << "/data/%";
}

void tst_SavedStates::cardFolder()
{
    QFETCH(QString, id);
    QFETCH(QString, folder);
    QCOMPARE(userFolders::cardFolder(QStringLiteral("/data"), id), folder);
}

void tst_SavedStates::dataFolderFollowsXdg()
{
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const EnvironmentChange homeChange("HOME", QFile::encodeName(home.path()));
    {
        const EnvironmentChange data("XDG_DATA_HOME", "/srv/states");
        QCOMPARE(savedStates::defaultFolder(), QStringLiteral("/srv/states/qx5170fp"));
    }
    {
        // Relative: ignored, as if it were not set.
        const EnvironmentChange data("XDG_DATA_HOME", "relative/data");
        QCOMPARE(savedStates::defaultFolder(), home.path() + "/.local/share/qx5170fp");
    }
    {
        const EnvironmentChange data("XDG_DATA_HOME", "./data");
        QCOMPARE(savedStates::defaultFolder(), home.path() + "/.local/share/qx5170fp");
    }
    {
        const EnvironmentChange data("XDG_DATA_HOME", QByteArray(), false);
        QCOMPARE(savedStates::defaultFolder(), home.path() + "/.local/share/qx5170fp");
    }
}

void tst_SavedStates::twoCardsKeepTheirOwnSlots()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString first
        = userFolders::cardFolder(root.path(), QStringLiteral("VXI0::1::INSTR/FC2"));
    const QString second
        = userFolders::cardFolder(root.path(), QStringLiteral("VXI0::5::INSTR/FC3"));
    QCOMPARE(savedStates::save(savedStates::fileName(first, 2), someState()), QString());

    sfp::CardState loaded;
    QString reason;
    QCOMPARE(savedStates::load(savedStates::fileName(second, 2), &loaded, &reason),
             savedStates::LoadResult::Empty);
    QCOMPARE(savedStates::load(savedStates::fileName(first, 2), &loaded, &reason),
             savedStates::LoadResult::Loaded);
    QVERIFY(loaded.closed[2] && loaded.closed[31]);
    QCOMPARE(QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList(QStringLiteral("VXI0::1::INSTR%2FFC2")));
    QVERIFY(QFile::exists(root.path() + "/VXI0::1::INSTR%2FFC2/state-2.json"));
}

void tst_SavedStates::slotsThatAreNotFiles()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString kept = folder.filePath(QStringLiteral("kept.txt"));
    QVERIFY(writeFile(kept, "the operator's own file\n"));

    // A link to a file of the operator's, and one to nothing.
    const QString linked = savedStates::fileName(folder.path(), 1);
    QVERIFY(QFile::link(kept, linked));
    QCOMPARE(savedStates::save(linked, someState()),
             QStringLiteral("its file is a symbolic link, not a regular file, and was left as it "
                            "is"));
    QCOMPARE(kindAt(linked), mode_t(S_IFLNK));
    QCOMPARE(QFileInfo(linked).symLinkTarget(), kept);
    QCOMPARE(sfptest::fileContents(kept), QByteArrayLiteral("the operator's own file\n"));

    const QString dangling = savedStates::fileName(folder.path(), 2);
    QVERIFY(QFile::link(folder.filePath(QStringLiteral("nowhere")), dangling));
    QCOMPARE(savedStates::save(dangling, someState()),
             QStringLiteral("its file is a symbolic link, not a regular file, and was left as it "
                            "is"));
    QCOMPARE(kindAt(dangling), mode_t(S_IFLNK));
    QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("nowhere"))));

    const QString fifo = savedStates::fileName(folder.path(), 3);
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QCOMPARE(savedStates::save(fifo, someState()),
             QStringLiteral("its file is a FIFO, not a regular file, and was left as it is"));
    QCOMPARE(kindAt(fifo), mode_t(S_IFIFO));

    const QString folderSlot = savedStates::fileName(folder.path(), 4);
    QVERIFY(QDir().mkdir(folderSlot));
    QCOMPARE(savedStates::save(folderSlot, someState()),
             QStringLiteral("its file is a folder, not a regular file, and was left as it is"));
    QCOMPARE(kindAt(folderSlot), mode_t(S_IFDIR));

    // Recalled: a device behind a link, the FIFO, the folder. A link to a
    // regular file is read like the file.
    sfp::CardState loaded;
    QString reason;
    const QString device = savedStates::fileName(folder.path(), 5);
    QVERIFY(QFile::link(QStringLiteral("/dev/null"), device));
    QCOMPARE(savedStates::load(device, &loaded, &reason), savedStates::LoadResult::Damaged);
    QCOMPARE(reason, QStringLiteral("its file is a device, not a regular file"));
    QCOMPARE(savedStates::load(fifo, &loaded, &reason), savedStates::LoadResult::Damaged);
    QCOMPARE(reason, QStringLiteral("its file is a FIFO, not a regular file"));
    QCOMPARE(savedStates::load(folderSlot, &loaded, &reason), savedStates::LoadResult::Damaged);
    QCOMPARE(reason, QStringLiteral("its file is a folder, not a regular file"));
    QCOMPARE(savedStates::load(dangling, &loaded, &reason), savedStates::LoadResult::Empty);
    QVERIFY(writeFile(kept, "{\"closed\": [4], \"mode\": \"trigger\", \"exclusive\": false}"));
    QCOMPARE(savedStates::load(linked, &loaded, &reason), savedStates::LoadResult::Loaded);
    QVERIFY(loaded.closed[3]);

    // A device node itself, where this process may make one.
    const QString node = savedStates::fileName(folder.path(), 6);
    if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0600, makedev(1, 3)) != 0)
        QSKIP("no device node can be made here");
    QCOMPARE(savedStates::save(node, someState()),
             QStringLiteral("its file is a device, not a regular file, and was left as it is"));
    QCOMPARE(kindAt(node), mode_t(S_IFCHR));
    QCOMPARE(savedStates::load(node, &loaded, &reason), savedStates::LoadResult::Damaged);
    QCOMPARE(reason, QStringLiteral("its file is a device, not a regular file"));
}

void tst_SavedStates::recallOfAFifoDoesNotWait()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString fifo = savedStates::fileName(folder.path(), 7);
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    auto recall = std::async(std::launch::async, [fifo] {
        sfp::CardState loaded;
        QString reason;
        return savedStates::load(fifo, &loaded, &reason);
    });
    const bool answered = recall.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!answered) {
        // A writer lets a recall that waits on the FIFO go, so that the
        // failure is reported rather than the test hanging.
        const int writer = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
    }
    QVERIFY2(answered, "the recall waited for a writer to the FIFO");
    QCOMPARE(recall.get(), savedStates::LoadResult::Damaged);
}

void tst_SavedStates::reasonsNameNoPath()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.path();
    const auto noPath = [&path](const QString &reason) {
        return !reason.isEmpty() && !reason.contains(path) && !reason.contains(QLatin1Char('/'));
    };

    // A file where the folder of the slots would be.
    const QString blocked = folder.filePath(QStringLiteral("blocked"));
    QVERIFY(writeFile(blocked, "x"));
    const QString underAFile = savedStates::fileName(blocked, 1);
    const QString cannotMake = savedStates::save(underAFile, someState());
    QCOMPARE(cannotMake, QStringLiteral("its folder cannot be made"));
    QVERIFY2(noPath(cannotMake), qPrintable(cannotMake));

    // A read-only folder stops no one with every right; elsewhere it does.
    const QString readOnly = folder.filePath(QStringLiteral("read-only"));
    QVERIFY(QDir().mkdir(readOnly));
    QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner));
    const auto writable = qScopeGuard([&readOnly] {
        QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    const QString denied = savedStates::save(savedStates::fileName(readOnly, 1), someState());
    if (::geteuid() != 0)
        QVERIFY2(noPath(denied), qPrintable(denied));

    // A damaged file, and one that cannot be read.
    const QString damaged = savedStates::fileName(path, 2);
    QVERIFY(writeFile(damaged, "{\"closed\": [1, 2], \"mode\""));
    sfp::CardState loaded;
    QString reason;
    QCOMPARE(savedStates::load(damaged, &loaded, &reason), savedStates::LoadResult::Damaged);
    QVERIFY2(noPath(reason), qPrintable(reason));
    QVERIFY(QFile::setPermissions(damaged, QFileDevice::Permissions()));
    if (::geteuid() != 0) {
        QCOMPARE(savedStates::load(damaged, &loaded, &reason), savedStates::LoadResult::Damaged);
        QVERIFY2(noPath(reason), qPrintable(reason));
    }
}

void tst_SavedStates::slotKeptWhenTheDiskFailsIt()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = savedStates::fileName(folder.path(), 1);
    QCOMPARE(savedStates::save(path, someState()), QString());
    const QByteArray before = sfptest::fileContents(path);
    // The slot keeps its mode, whatever the umask of the saving process.
    QVERIFY(QFile::setPermissions(
        path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));
    const mode_t umaskBefore = ::umask(077);
    const auto restoreUmask = qScopeGuard([umaskBefore] { ::umask(umaskBefore); });
    sfp::CardState other;
    other.closed[0] = true;

    // A write the disk did not take whole: the state that was saved stays
    // in place, whole, and nothing is left beside it.
    writesFallShort = true;
    const QString reason = savedStates::save(path, other);
    writesFallShort = false;
    QCOMPARE(sfptest::fileContents(path), before);
    QCOMPARE(reason, QStringLiteral("the copy came out incomplete (is the disk full?)"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
             QStringList(QStringLiteral("state-1.json")));
    sfp::CardState loaded;
    QString why;
    QCOMPARE(savedStates::load(path, &loaded, &why), savedStates::LoadResult::Loaded);
    QVERIFY(!loaded.closed[0] && loaded.closed[2] && loaded.closed[31]);

    // Taken whole, it replaces the state, with the slot's mode.
    QCOMPARE(savedStates::save(path, other), QString());
    QCOMPARE(savedStates::load(path, &loaded, &why), savedStates::LoadResult::Loaded);
    QVERIFY(loaded.closed[0] && !loaded.closed[2]);
    struct stat status
    { };
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &status), 0);
    QCOMPARE(status.st_mode & 07777, mode_t(0604));
}

SFPTEST_CORE_MAIN(tst_SavedStates)
#include "tst_savedstates.moc"
