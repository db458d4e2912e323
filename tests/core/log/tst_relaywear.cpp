// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The relay wear counter alone: the levels against a rated life, the
// card's counter file read, written within a second and at the end, a
// file it cannot use left as it is, and a write that fails said once.
#include "fixture.h"
#include "relaywear.h"
#include "sfpcoretest.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using sfp::RelayWear;
using Level = RelayWear::Level;

namespace {

// A counter file with `first` as relay 1's count and 0 for the others.
QByteArray counterFile(const QByteArray &first)
{
    return "{\"cycles\": [" + first + QByteArray(",0").repeated(31) + "]}";
}

// The file as the counter writes it: `counts` (of the first relays), then
// 0 for the others, on one line.
QByteArray writtenFile(const QByteArray &counts)
{
    return "{\"cycles\":[" + counts + QByteArray(",0").repeated(32 - counts.count(',') - 1)
        + "]}\n";
}

} // namespace

class tst_RelayWear : public QObject
{
    Q_OBJECT

private slots:
    void levels_data();
    void levels();
    void places();
    void countsKeptAcrossRuns();
    void unusableFilesLeftAsTheyAre_data();
    void unusableFilesLeftAsTheyAre();
    void writtenWithinASecond();
    void clearWritesAtOnce();
    void clearThatCannotBeKeptChangesNothing();
    void failedWriteSaidOnce();
};

void tst_RelayWear::levels_data()
{
    QTest::addColumn<qint64>("cycles");
    QTest::addColumn<qint64>("rated");
    QTest::addColumn<int>("percent");
    QTest::addColumn<Level>("level");

    QTest::newRow("not rated") << qint64(5000000) << qint64(0) << 80 << Level::Fresh;
    QTest::newRow("799 of 1000") << qint64(799) << qint64(1000) << 80 << Level::Fresh;
    QTest::newRow("800 of 1000") << qint64(800) << qint64(1000) << 80 << Level::Warning;
    QTest::newRow("999 of 1000") << qint64(999) << qint64(1000) << 80 << Level::Warning;
    QTest::newRow("1000 of 1000") << qint64(1000) << qint64(1000) << 80 << Level::Worn;
    QTest::newRow("1500 of 1000") << qint64(1500) << qint64(1000) << 80 << Level::Worn;
    // 80 % of 7 is 5.6: the warning comes at the sixth closing.
    QTest::newRow("5 of 7") << qint64(5) << qint64(7) << 80 << Level::Fresh;
    QTest::newRow("6 of 7") << qint64(6) << qint64(7) << 80 << Level::Warning;
    QTest::newRow("0 of 1") << qint64(0) << qint64(1) << 80 << Level::Fresh;
    QTest::newRow("1 of 1") << qint64(1) << qint64(1) << 80 << Level::Worn;
    QTest::newRow("1 % of 100") << qint64(1) << qint64(100) << 1 << Level::Warning;
    QTest::newRow("100 % warns at the end") << qint64(99) << qint64(100) << 100 << Level::Fresh;
    // No overflow for the largest rated life a file can give.
    QTest::newRow("huge, below") << qint64(7378697629483820645) << qint64(9223372036854775807) << 80
                                 << Level::Fresh;
    QTest::newRow("huge, at") << qint64(7378697629483820646) << qint64(9223372036854775807) << 80
                              << Level::Warning;
}

void tst_RelayWear::levels()
{
    QFETCH(qint64, cycles);
    QFETCH(qint64, rated);
    QFETCH(int, percent);
    QFETCH(Level, level);
    QCOMPARE(RelayWear::level(cycles, rated, percent), level);
}

void tst_RelayWear::places()
{
    {
        const sfptest::EnvironmentChange state("XDG_STATE_HOME", "/srv/state");
        QCOMPARE(RelayWear::defaultFolder(), QString("/srv/state/qx5170fp"));
    }
    {
        // A relative folder is no place to keep a card's life.
        const sfptest::EnvironmentChange state("XDG_STATE_HOME", "relative/state");
        QCOMPARE(RelayWear::defaultFolder(), QDir::homePath() + "/.local/state/qx5170fp");
    }
    {
        const sfptest::EnvironmentChange state("XDG_STATE_HOME", "", false);
        QCOMPARE(RelayWear::defaultFolder(), QDir::homePath() + "/.local/state/qx5170fp");
    }
    // One folder per card; no id reaches outside the folder.
    QCOMPARE(RelayWear::fileName("/s", "VXI0::1::INSTR/FC2"),
             QString("/s/VXI0::1::INSTR%2FFC2/relay-cycles.json"));
    QCOMPARE(RelayWear::fileName("/s", ".."), QString("/s/%2E%2E/relay-cycles.json"));
}

void tst_RelayWear::countsKeptAcrossRuns()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("card/relay-cycles.json");
    sfp::Fixture fixture;
    fixture.ratedCycles.fill(4);
    fixture.warningPercent = 50;
    {
        RelayWear wear;
        // No file yet: a card that never closed a relay.
        QCOMPARE(wear.open(path), QString());
        QVERIFY(wear.isOpen());
        QCOMPARE(wear.cycles(1), qint64(0));
        QCOMPARE(wear.questionableCondition(fixture), 0);
        QSignalSpy changes(&wear, &RelayWear::cyclesChanged);
        wear.countClosing(1);
        wear.countClosing(32);
        wear.countClosing(32);
        wear.countClosing(0);
        wear.countClosing(33);
        QCOMPARE(changes.size(), 3);
        QCOMPARE(changes.at(2).at(0).toInt(), 32);
        QCOMPARE(wear.level(32, fixture), Level::Warning);
        QCOMPARE(wear.level(1, fixture), Level::Fresh);
        QCOMPARE(wear.level(33, fixture), Level::Fresh);
        QCOMPARE(wear.questionableCondition(fixture), 2048);
        QCOMPARE(wear.cycles(33), qint64(0));
    }
    // Written when the counter ends, in a folder made for it.
    const QByteArray written = sfptest::fileContents(path);
    QCOMPARE(written, "{\"cycles\":[1" + QByteArray(",0").repeated(30) + ",2]}\n");
    RelayWear again;
    QCOMPARE(again.open(path), QString());
    QCOMPARE(again.cycles(1), qint64(1));
    QCOMPARE(again.cycles(32), qint64(2));
    QCOMPARE(again.cycles(2), qint64(0));
    // Relays outside the card have no count, whatever its neighbours hold.
    QCOMPARE(again.cycles(0), qint64(0));
    QCOMPARE(again.cycles(33), qint64(0));
    // The largest count a file may hold is read as it is.
    QVERIFY(sfptest::writeFile(path, counterFile("9223372036854775807")));
    QCOMPARE(again.open(path), QString());
    QCOMPARE(again.cycles(1), qint64(9223372036854775807));
}

void tst_RelayWear::unusableFilesLeftAsTheyAre_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("reason");

    const QString notCounts = QStringLiteral(" is not a counter file: ");
    QTest::newRow("not JSON") << QByteArray("{\"cycles\": [1,") << notCounts + "not JSON";
    QTest::newRow("an array") << QByteArray("[]") << notCounts + "no \"cycles\" in a JSON object";
    QTest::newRow("31 counts") << QByteArray("{\"cycles\": [0" + QByteArray(",0").repeated(30)
                                             + "]}")
                               << notCounts + "\"cycles\" is not a list of 32 counts";
    QTest::newRow("33 counts") << QByteArray("{\"cycles\": [0" + QByteArray(",0").repeated(32)
                                             + "]}")
                               << notCounts + "\"cycles\" is not a list of 32 counts";
    QTest::newRow("an object") << QByteArray("{\"cycles\": {}}")
                               << notCounts + "\"cycles\" is not a list of 32 counts";
    const QString notACount = notCounts + "a count is not a whole number of 0 or more";
    QTest::newRow("negative") << counterFile("-1") << notACount;
    QTest::newRow("a fraction") << counterFile("1.5") << notACount;
    QTest::newRow("text") << counterFile("\"7\"") << notACount;
    QTest::newRow("null") << counterFile("null") << notACount;
    QTest::newRow("beyond 64 bits") << counterFile("9223372036854775808") << notACount;
    QTest::newRow("too large") << QByteArray(64 * 1024 + 1, ' ')
                               << QString(" is larger than 64 KiB");
}

void tst_RelayWear::unusableFilesLeftAsTheyAre()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, reason);

    QTemporaryDir folder;
    const QString path = folder.filePath("relay-cycles.json");
    QVERIFY(sfptest::writeFile(path, contents));
    {
        RelayWear wear;
        QCOMPARE(wear.open(path), path + reason);
        QVERIFY(!wear.isOpen());
        // Nothing counted, nothing written over what may be put right by
        // hand.
        wear.countClosing(1);
        QCOMPARE(wear.cycles(1), qint64(0));
        QCOMPARE(wear.clear({1}), QString());
        QCOMPARE(wear.flush(), QString());
    }
    QCOMPARE(sfptest::fileContents(path), contents);
}

void tst_RelayWear::writtenWithinASecond()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("relay-cycles.json");
    RelayWear wear;
    QCOMPARE(wear.open(path), QString());
    wear.countClosing(5);
    // A crash loses at most the last second: the count is in the file
    // within it, the program still running.
    QTRY_COMPARE_WITH_TIMEOUT(sfptest::fileContents(path), writtenFile("0,0,0,0,1"), 3000);
    // Nothing counted since: nothing written again.
    QFile::remove(path);
    QTest::qWait(1200);
    QVERIFY(!QFile::exists(path));
}

void tst_RelayWear::clearWritesAtOnce()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("relay-cycles.json");
    QVERIFY(sfptest::writeFile(path, counterFile("12")));
    RelayWear wear;
    QCOMPARE(wear.open(path), QString());
    QCOMPARE(wear.cycles(1), qint64(12));
    QSignalSpy changes(&wear, &RelayWear::cyclesChanged);
    // A relay already at 0, and numbers of no relay, change nothing.
    QCOMPARE(wear.clear({2, 0, 40}), QString());
    QCOMPARE(changes.size(), 0);
    QCOMPARE(sfptest::fileContents(path), counterFile("12"));
    QCOMPARE(wear.clear({1, 2}), QString());
    QCOMPARE(changes.size(), 1);
    QCOMPARE(wear.cycles(1), qint64(0));
    QCOMPARE(sfptest::fileContents(path), writtenFile("0"));
}

void tst_RelayWear::clearThatCannotBeKeptChangesNothing()
{
    QTemporaryDir folder;
    const QString cardFolder = folder.filePath("card");
    const QString path = cardFolder + "/relay-cycles.json";
    QVERIFY(QDir().mkpath(cardFolder));
    QVERIFY(sfptest::writeFile(path, "{\"cycles\": [12,7" + QByteArray(",0").repeated(30) + "]}"));
    RelayWear wear;
    QCOMPARE(wear.open(path), QString());
    wear.countClosing(2);
    // The card's folder becomes a file: the count cannot be kept cleared,
    // so it is not cleared, and a closing counted before stays counted.
    QVERIFY(QDir(cardFolder).removeRecursively());
    QVERIFY(sfptest::writeFile(cardFolder, "x"));
    QSignalSpy changes(&wear, &RelayWear::cyclesChanged);
    QCOMPARE(wear.clear({1}), QString("its folder cannot be made"));
    QCOMPARE(wear.cycles(1), qint64(12));
    QCOMPARE(wear.cycles(2), qint64(8));
    QCOMPARE(changes.size(), 0);
    // Once it can be written, the clearing is made, with what waited.
    QVERIFY(QFile::remove(cardFolder));
    QCOMPARE(wear.clear({1}), QString());
    QCOMPARE(wear.cycles(1), qint64(0));
    QCOMPARE(changes.size(), 1);
    QCOMPARE(sfptest::fileContents(path), writtenFile("0,8"));
}

void tst_RelayWear::failedWriteSaidOnce()
{
    QTemporaryDir folder;
    // The card's folder is a file: no counter file can be made in it.
    const QString cardFolder = folder.filePath("card");
    QVERIFY(sfptest::writeFile(cardFolder, "x"));
    const QString path = cardFolder + "/relay-cycles.json";
    RelayWear wear;
    QCOMPARE(wear.open(path), QString());
    QSignalSpy failures(&wear, &RelayWear::writeFailed);
    wear.countClosing(1);
    QCOMPARE(wear.flush(), QString("its folder cannot be made"));
    wear.countClosing(1);
    QCOMPARE(wear.flush(), QString("its folder cannot be made"));
    QCOMPARE(failures.size(), 1);
    QCOMPARE(failures.at(0).at(0).toString(), path + " its folder cannot be made");
    // The counts wait in memory, and go to the file once it can be made.
    QVERIFY(QFile::remove(cardFolder));
    QCOMPARE(wear.flush(), QString());
    QCOMPARE(sfptest::fileContents(path), writtenFile("2"));
    // A later failure is said again.
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir(cardFolder).removeRecursively());
    QVERIFY(sfptest::writeFile(cardFolder, "x"));
    wear.countClosing(3);
    QCOMPARE(wear.flush(), QString("its folder cannot be made"));
    QCOMPARE(failures.size(), 2);
}

SFPTEST_CORE_MAIN(tst_RelayWear)
#include "tst_relaywear.moc"
