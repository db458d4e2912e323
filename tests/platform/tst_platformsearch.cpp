// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The search for the platform libraries, called directly: what it says when
// nothing complete is found, a library without one of the functions the
// program calls, and a set that stays once it is loaded. Nothing is loaded
// before the last test: the first complete set would end every search.
#include "platformlibraries.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const char *const standIns = SFP_STAND_IN_DIR;

// The stand-ins copied into `folder`, or only the first `count` of VISA,
// the common library and the driver.
bool copyStandIns(const QString &folder, int count = 3)
{
    const QStringList names = {"libvisa64.so", "libqx2010_64.so", "libqx5170_64.so"};
    for (int i = 0; i < count; ++i) {
        if (!QFile::copy(QString::fromUtf8(standIns) + "/" + names.at(i),
                         folder + "/" + names.at(i)))
            return false;
    }
    return true;
}

// Renames the function `name` in the library at `path` (its first letter
// becomes 'X'), so that the library no longer offers it under that name.
// The first letter, as the linker stores a name that ends another one
// (open, close) as that one's tail.
bool renameFunction(const QString &path, const QByteArray &name)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = file.readAll();
    QByteArray renamed = name;
    renamed[0] = 'X';
    const qsizetype before = bytes.count(name + '\0');
    bytes.replace(name + '\0', renamed + '\0');
    return before > 0 && file.seek(0) && file.write(bytes) == bytes.size();
}

} // namespace

class tst_PlatformSearch final : public QObject
{
    Q_OBJECT

private slots:
    void nothingComplete();
    void functionMissing_data();
    void functionMissing();
    void loadedSetStays();
};

void tst_PlatformSearch::nothingComplete()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString empty = folder.filePath("empty");
    const QString visaOnly = folder.filePath("visa");
    const QString noDriver = folder.filePath("nodriver");
    for (const QString &path : {empty, visaOnly, noDriver})
        QVERIFY(QDir().mkpath(path));
    QVERIFY(copyStandIns(visaOnly, 1));
    QVERIFY(copyStandIns(noDriver, 2));

    // Named by the option, the folder without the driver is the end of the
    // search: nothing else is tried.
    sfp::platform::Search named;
    named.option = noDriver;
    named.linker = false;
    named.simulatedFolders = {empty, visaOnly};
    QCOMPARE(sfp::platform::load(named).error,
             QString("%1 (--library-path): no libqx5170_64.so or libqx5170.so beside "
                     "%1/libvisa64.so")
                 .arg(noDriver));

    // Nothing named: the simulated platform's places without a complete set
    // are each named with their reason.
    sfp::platform::Search search;
    search.linker = false;
    search.simulatedFolders = {empty, visaOnly};
    const sfp::platform::Loaded loaded = sfp::platform::load(search);
    QVERIFY(!loaded.ok);
    QCOMPARE(loaded.error,
             QString("no platform libraries found; searched %1: no libvisa.so, "
                     "libvisa.so.0, libiovisa.so, librsvisa.so or libvisa64.so; %2: no "
                     "libqx2010_64.so or libqx2010.so beside %2/libvisa64.so")
                 .arg(empty, visaOnly));
    QVERIFY(!sfp::platform::loaded().ok);

    // The VISA and common library of the partial sets were let go again:
    // none stays to meet a later set's need of VISA by its name. (With
    // gcov's counters compiled in, the stand-ins stay mapped after their
    // last dlclose; there the check says nothing.)
#ifndef SFP_COVERAGE_BUILD
    QFile maps(QStringLiteral("/proc/self/maps"));
    QVERIFY(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    QVERIFY2(!mapped.contains(QFile::encodeName(folder.path())), mapped.constData());
#endif
}

void tst_PlatformSearch::functionMissing_data()
{
    QTest::addColumn<QString>("library");
    QTest::addColumn<QByteArray>("function");

    const QList<QPair<const char *, QList<const char *>>> libraries = {
        {"libvisa64.so",
         {"viOpenDefaultRM", "viFindRsrc", "viFindNext", "viOpen", "viClose", "viGetAttribute"}},
        {"libqx2010_64.so",
         {"qx2010_mb_open", "qx2010_mb_close", "qx2010_error_message", "qx2010_library_revision"}},
        {"libqx5170_64.so",
         {"qx5170_close", "qx5170_error_message", "qx5170_revision_query", "qx5170_switchRelay",
          "qx5170_setSwitchingMode", "qx5170_updateRelaysState", "qx5170_pulseSynchTrigger"}},
    };
    for (const auto &[library, functions] : libraries) {
        for (const char *function : functions)
            QTest::newRow(function) << QString(library) << QByteArray(function);
    }
}

void tst_PlatformSearch::functionMissing()
{
    QFETCH(QString, library);
    QFETCH(QByteArray, function);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(copyStandIns(folder.path()));
    QVERIFY(renameFunction(folder.filePath(library), function));

    // A library in a place the user named that lacks a function ends the
    // search with one line naming both, after the folder before it.
    sfp::platform::Search search;
    search.environment = QStringLiteral("/nonexistent:") + folder.path();
    search.linker = false;
    search.simulatedFolders = {QString::fromUtf8(standIns)};
    const sfp::platform::Loaded loaded = sfp::platform::load(search);
    QVERIFY(!loaded.ok);
    QCOMPARE(loaded.error,
             QString("/nonexistent (QX5170FP_LIBRARY_PATH): no such folder; %1 "
                     "(QX5170FP_LIBRARY_PATH): %2: no function %3")
                 .arg(folder.path(), folder.filePath(library), QString(function)));
}

void tst_PlatformSearch::loadedSetStays()
{
    sfp::platform::Search simulated;
    simulated.simulate = true;
    simulated.simulatedFolders = {QString::fromUtf8(standIns)};
    const sfp::platform::Loaded first = sfp::platform::load(simulated);
    QVERIFY2(first.ok, qPrintable(first.error));
    QVERIFY(first.simulated);
    QCOMPARE(first.origin, QStringLiteral("the simulated platform"));
    QCOMPARE(first.visaPath, QString::fromUtf8(standIns) + "/libvisa64.so");
    QVERIFY(sfp::libraries().viOpenDefaultRM != nullptr);

    // Any later search gives the same set, whatever it names.
    QTemporaryDir folder;
    sfp::platform::Search elsewhere;
    elsewhere.option = folder.path();
    elsewhere.linker = false;
    const sfp::platform::Loaded again = sfp::platform::load(elsewhere);
    QVERIFY(again.ok);
    QCOMPARE(again.origin, QStringLiteral("the simulated platform"));
    QCOMPARE(again.driverPath, QString::fromUtf8(standIns) + "/libqx5170_64.so");
    QCOMPARE(sfp::platform::loaded().visaPath, first.visaPath);
}

QTEST_GUILESS_MAIN(tst_PlatformSearch)
#include "tst_platformsearch.moc"
