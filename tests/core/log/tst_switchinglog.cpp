// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The switching log alone: its lines read and written back, its SCPI and
// its Value Change Dump, whole lines in its file, rotation, and a file it
// cannot write said once.
#include "switchinglog.h"

#include "sfpcoretest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

using sfp::SwitchingEvent;
using Kind = SwitchingEvent::Kind;

namespace {

QDateTime noon()
{
    return QDateTime::fromString("2026-12-09T12:00:00.000+01:00", Qt::ISODateWithMs);
}

SwitchingEvent logged(Kind kind, qint64 ms = 0)
{
    SwitchingEvent event;
    event.kind = kind;
    event.time = noon().addMSecs(ms);
    event.card = "VXI0::1::INSTR/FC2";
    event.source = "operator";
    return event;
}

SwitchingEvent relay(int number, bool closed, qint64 ms = 0)
{
    SwitchingEvent change = logged(Kind::Relay, ms);
    change.relay = number;
    change.on = closed;
    change.status = 0;
    return change;
}

} // namespace

class tst_SwitchingLog : public QObject
{
    Q_OBJECT

private slots:
    void linesOfEachKind_data();
    void linesOfEachKind();
    void timesOfAnyDate();
    void linesThatAreNotEvents();
    void readBetweenTimes();
    void scpiOfAWholeSession();
    void valueChangeDump();
    void valueChangeDumpShowsEveryChange();
    void wholeLinesAppended();
    void rotatesAtTenMebibytes();
    void cutLastLineEndedFirst();
    void refusalsCounted();
    void filesItCannotWrite();
    void fullDisk();
    void linesInOrderFromTheWriter();
    void recentEventsAsAppended();
    void appendedToWhoListens();
    void eventsWithoutATimeStampedNow();
    void failureSaidFromTheWriter();
};

void tst_SwitchingLog::linesOfEachKind_data()
{
    QTest::addColumn<SwitchingEvent>("event");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("scpi");
    QTest::addColumn<QString>("change");

    const QByteArray head
        = R"j({"time":"2026-12-09T12:00:00.000+01:00","card":"VXI0::1::INSTR/FC2","source":"operator",)j";
    SwitchingEvent start = logged(Kind::Start);
    start.closed[0] = true;
    start.closed[31] = true;
    start.mode = sfp::SwitchingMode::SyncTrigger;
    start.exclusive = true;
    QTest::newRow("start") << start
                           << head
            + R"j("event":"start","closed":[1,32],"mode":"sync-trigger","exclusive":true,)j"
              R"j("synchronized":true})j"
                           << QByteArray()
                           << "panel took the card: relays closed: 1, 32; Sync. Trigger; "
                              "exclusive rule on";
    QTest::newRow("relay closed") << relay(7, true)
                                  << head
            + R"j("event":"relay","relay":7,"closed":true,"scpi":"ROUT:CLOS (@7)","status":0,)j"
              R"j("synchronized":true})j"
                                  << QByteArray("ROUT:CLOS (@7)") << "relay 7 closed";
    SwitchingEvent partner = relay(8, false);
    partner.implied = true;
    partner.status = -1074003951;
    partner.synchronized = false;
    partner.source = "*RCL 2";
    partner.client = "socket 127.0.0.1:40112";
    QTest::newRow("relay opened, implied, failed")
        << partner
        << QByteArray(R"j({"time":"2026-12-09T12:00:00.000+01:00","card":"VXI0::1::INSTR/FC2",)j"
                      R"j("source":"*RCL 2","client":"socket 127.0.0.1:40112","event":"relay",)j"
                      R"j("relay":8,"closed":false,"implied":true,"status":-1074003951,)j"
                      R"j("synchronized":false})j")
        << QByteArray() << "relay 8 opened (driver status -1074003951)";
    SwitchingEvent mode = logged(Kind::Mode);
    mode.mode = sfp::SwitchingMode::SyncCommand;
    mode.status = 0;
    QTest::newRow("mode") << mode
                          << head
            + R"j("event":"mode","mode":"sync-command","scpi":"ROUT:MODE COMM","status":0,)j"
              R"j("synchronized":true})j"
                          << QByteArray("ROUT:MODE COMM") << "mode Sync. Command";
    SwitchingEvent exclusive = logged(Kind::Exclusive);
    exclusive.on = false;
    QTest::newRow("exclusive, demo")
        << exclusive
        << head + R"j("event":"exclusive","on":false,"scpi":"ROUT:EXCL OFF","synchronized":true})j"
        << QByteArray("ROUT:EXCL OFF") << "exclusive rule off";
    SwitchingEvent update = logged(Kind::Update);
    update.status = 1073676418;
    QTest::newRow("update with a warning")
        << update
        << head + R"j("event":"update","scpi":"ROUT:UPD","status":1073676418,"synchronized":true})j"
        << QByteArray("ROUT:UPD") << "update (driver status 1073676418)";
    SwitchingEvent trigger = logged(Kind::Trigger);
    trigger.status = 0;
    QTest::newRow("trigger") << trigger
                             << head
            + R"j("event":"trigger","scpi":"*TRG","status":0,"synchronized":true})j"
                             << QByteArray("*TRG") << "trigger pulse";
    SwitchingEvent refusal = logged(Kind::Refusal);
    refusal.relay = 7;
    refusal.reason = "\"PSU/GND\" allows one of relays 3, 7";
    QTest::newRow("refusal of a click")
        << refusal
        << head
            + R"j("event":"refusal","relay":7,"reason":"\"PSU/GND\" allows one of relays 3, 7",)j"
              R"j("synchronized":true})j"
        << QByteArray() << "refused: \"PSU/GND\" allows one of relays 3, 7";
    SwitchingEvent locked = logged(Kind::Refusal);
    locked.reason = "another client holds the lock";
    locked.error = -221;
    locked.source = "vxi11 link 3";
    QTest::newRow("refusal of a script")
        << locked
        << QByteArray(R"j({"time":"2026-12-09T12:00:00.000+01:00","card":"VXI0::1::INSTR/FC2",)j"
                      R"j("source":"vxi11 link 3","event":"refusal",)j"
                      R"j("reason":"another client holds the lock","error":-221,)j"
                      R"j("synchronized":true})j")
        << QByteArray() << "refused: another client holds the lock (-221)";
    SwitchingEvent counted = locked;
    counted.time = noon().addMSecs(1300);
    counted.count = 281600;
    counted.first = noon().addMSecs(2);
    counted.last = counted.time;
    QTest::newRow("refusals counted")
        << counted
        << QByteArray(R"j({"time":"2026-12-09T12:00:01.300+01:00","card":"VXI0::1::INSTR/FC2",)j"
                      R"j("source":"vxi11 link 3","event":"refusal",)j"
                      R"j("reason":"another client holds the lock","error":-221,)j"
                      R"j("count":281600,"first":"2026-12-09T12:00:00.002+01:00",)j"
                      R"j("last":"2026-12-09T12:00:01.300+01:00","synchronized":true})j")
        << QByteArray()
        << "refused: another client holds the lock (-221); 281600 times from 12:00:00.002 to "
           "12:00:01.300";
    // Beyond ASCII, the first C1 control too, a text is written as UTF-8.
    SwitchingEvent beyondAscii = logged(Kind::Refusal);
    beyondAscii.reason = QStringLiteral("C1 ") + QChar(0x80);
    QTest::newRow("texts beyond ASCII")
        << beyondAscii
        << head + "\"event\":\"refusal\",\"reason\":\"C1 \xC2\x80\"," + "\"synchronized\":true}"
        << QByteArray() << QStringLiteral("refused: C1 ") + QChar(0x80);
}

void tst_SwitchingLog::linesOfEachKind()
{
    QFETCH(SwitchingEvent, event);
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, scpi);
    QFETCH(QString, change);

    QCOMPARE(event.toJson(), line);
    QCOMPARE(event.scpi(), scpi);
    QCOMPARE(event.change(), change);
    // Read back, the line says the same again.
    QString why;
    const std::optional<SwitchingEvent> read = SwitchingEvent::fromJson(line, &why);
    QVERIFY2(read, qPrintable(why));
    QCOMPARE(read->toJson(), line);
    QCOMPARE(read->time, event.time);
}

void tst_SwitchingLog::timesOfAnyDate()
{
    // Written from the count of milliseconds: every month, a leap day, an
    // offset west of UTC with half hours; within one minute, the seconds of
    // each line and the offset of each; before 1970.
    for (const char *text : {"2024-02-29T23:59:59.999-03:30", "2026-01-01T00:00:00.000Z",
                             "2026-03-01T12:30:05.007+05:45", "2026-03-01T12:30:59.990+05:45",
                             "2026-03-01T12:30:59.990+05:30", "2026-12-31T23:59:59.999+14:00",
                             "2000-07-15T08:00:00.000-10:00", "1999-11-30T00:00:00.001+01:00",
                             "1969-12-31T23:59:58.500Z"}) {
        SwitchingEvent update = logged(Kind::Update);
        update.time = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODateWithMs);
        QVERIFY2(update.toJson().startsWith(QByteArray("{\"time\":\"") + text + '"'),
                 update.toJson().constData());
    }
}

void tst_SwitchingLog::linesThatAreNotEvents()
{
    const QByteArray time = R"j("time":"2026-12-09T12:00:00.000Z")j";
    const QList<QPair<QByteArray, QString>> rows {
        {"", "not a JSON object"},
        {"[1]", "not a JSON object"},
        {R"j({"time":"yesterday","event":"update"})j", "no valid \"time\""},
        {"{" + time + R"j(,"event":"explosion"})j", "no known \"event\""},
        {"{" + time + R"j(,"event":"relay","relay":33,"closed":true})j",
         "a \"relay\" event without its values"},
        {"{" + time + R"j(,"event":"relay","relay":3})j", "a \"relay\" event without its values"},
        {"{" + time + R"j(,"event":"mode","mode":"fast"})j", "a \"mode\" event without its values"},
        {"{" + time + R"j(,"event":"exclusive","on":1})j",
         "a \"exclusive\" event without its values"},
        {"{" + time + R"j(,"event":"start","closed":[0],"mode":"asynchronous","exclusive":false})j",
         "a \"start\" event without its values"},
        // A line a full disk cut short.
        {"{" + time + R"j(,"event":"relay","relay":3,"clo)j", "not a JSON object"},
    };
    for (const auto &[line, reason] : rows) {
        QString why;
        QVERIFY2(!SwitchingEvent::fromJson(line, &why), line.constData());
        QCOMPARE(why, reason);
    }
    // A count without its times, edited by hand, is one over the line's
    // own time; a count of 1 or less, or a wrong one, is one refusal.
    QString why;
    std::optional<SwitchingEvent> counted = SwitchingEvent::fromJson(
        "{" + time + R"j(,"event":"refusal","reason":"x","count":7,"first":"then"})j", &why);
    QVERIFY(counted);
    QCOMPARE(counted->count, 7);
    QCOMPARE(counted->first, counted->time);
    QCOMPARE(counted->last, counted->time);
    for (const char *count : {"1", "0", "\"many\"", "2147483648"}) {
        counted = SwitchingEvent::fromJson(
            "{" + time + R"j(,"event":"refusal","reason":"x","count":)j" + count + "}", &why);
        QVERIFY(counted);
        QCOMPARE(counted->count, 1);
        QVERIFY(!counted->toJson().contains("count"));
    }
}

void tst_SwitchingLog::readBetweenTimes()
{
    QByteArray text;
    for (int ms : {0, 1000, 2000, 3000})
        text += relay(ms / 1000 + 1, true, ms).toJson() + '\n';
    text += "not an event\n\n";
    text += relay(9, false, 4000).toJson(); // the last line without its end
    int skipped = -1;
    QList<SwitchingEvent> events = sfp::switchingLog::read(text, {}, {}, &skipped);
    QCOMPARE(events.size(), 5);
    QCOMPARE(skipped, 1);
    QCOMPARE(events.last().relay, 9);
    // Both bounds belong to the range.
    events = sfp::switchingLog::read(text, noon().addMSecs(1000), noon().addMSecs(3000), &skipped);
    QCOMPARE(events.size(), 3);
    QCOMPARE(events.first().relay, 2);
    QCOMPARE(events.last().relay, 4);
    // A bound in another offset is the same moment.
    events = sfp::switchingLog::read(
        text, QDateTime::fromString("2026-12-09T11:00:02.000Z", Qt::ISODateWithMs), {}, &skipped);
    QCOMPARE(events.size(), 3);
}

void tst_SwitchingLog::scpiOfAWholeSession()
{
    SwitchingEvent start = logged(Kind::Start);
    SwitchingEvent mode = logged(Kind::Mode);
    mode.mode = sfp::SwitchingMode::SyncTrigger;
    SwitchingEvent partner = relay(4, false);
    partner.implied = true;
    SwitchingEvent refusal = logged(Kind::Refusal);
    refusal.reason = "x";
    SwitchingEvent exclusive = logged(Kind::Exclusive);
    exclusive.on = true;
    // A second run found the card as the first left it: the replay starts
    // it there too.
    SwitchingEvent again = logged(Kind::Start);
    again.closed[3] = again.closed[8] = again.closed[31] = true;
    again.exclusive = true;
    again.mode = sfp::SwitchingMode::SyncCommand;
    const QList<SwitchingEvent> events {start,
                                        relay(3, true),
                                        exclusive,
                                        partner,
                                        refusal,
                                        mode,
                                        relay(32, true),
                                        logged(Kind::Trigger),
                                        logged(Kind::Update),
                                        again,
                                        relay(5, true)};
    QCOMPARE(sfp::switchingLog::toScpi(events),
             QByteArray("*RST\nROUT:CLOS (@3)\nROUT:EXCL ON\nROUT:MODE TRIG\nROUT:CLOS (@32)\n"
                        "*TRG\nROUT:UPD\n"
                        "*RST\nROUT:CLOS (@4,9,32)\nROUT:EXCL ON\nROUT:MODE COMM\n"
                        "ROUT:CLOS (@5)\n"));
    QCOMPARE(sfp::switchingLog::toScpi({}), QByteArray());
}

void tst_SwitchingLog::valueChangeDump()
{
    SwitchingEvent start = logged(Kind::Start);
    start.closed[1] = true;
    SwitchingEvent mode = logged(Kind::Mode, 5);
    mode.mode = sfp::SwitchingMode::SyncCommand;
    SwitchingEvent waiting = relay(1, true, 5);
    waiting.synchronized = false;
    SwitchingEvent refusal = logged(Kind::Refusal, 7);
    refusal.synchronized = true; // a refusal says nothing of the lamp
    SwitchingEvent update = logged(Kind::Update, 12);
    SwitchingEvent back = relay(2, false, 1); // the clock went back: stays at 12
    std::array<QString, 32> labels;
    labels[0] = "PSU rail";
    labels[1] = "Ω";
    labels[2] = "PSU rail";
    const QByteArray vcd
        = sfp::switchingLog::toVcd({start, mode, waiting, refusal, update, back}, labels);
    QByteArray expected = "$date 2026-12-09T12:00:00.000+01:00 $end\n"
                          "$version qx5170fp switching log $end\n"
                          "$timescale 1 ms $end\n"
                          "$scope module card $end\n"
                          "$var wire 1 ! PSU_rail $end\n"
                          "$var wire 1 \" relay2 $end\n"
                          "$var wire 1 # PSU_rail_2 $end\n";
    for (int relay = 4; relay <= 32; ++relay)
        expected += "$var wire 1 " + QByteArray(1, char('!' + relay - 1)) + " relay"
            + QByteArray::number(relay) + " $end\n";
    expected += "$var wire 1 A sync_command $end\n"
                "$var wire 1 B sync_trigger $end\n"
                "$var wire 1 C synchronized $end\n"
                "$upscope $end\n$enddefinitions $end\n"
                "#0\n$dumpvars\n0!\n1\"\n";
    for (int relay = 3; relay <= 32; ++relay)
        expected += "0" + QByteArray(1, char('!' + relay - 1)) + '\n';
    expected += "0A\n0B\n1C\n$end\n"
                "#5\n1A\n1!\n0C\n"
                "#12\n1C\n0\"\n#13\n";
    QCOMPARE(vcd, expected);
}

void tst_SwitchingLog::valueChangeDumpShowsEveryChange()
{
    // Relay 5 closes in the millisecond the dump starts, relay 1 closes and
    // opens in one millisecond, relay 2 closes in it after that; relay 3's
    // closing is the last change.
    const QList<SwitchingEvent> events {logged(Kind::Start), relay(5, true),    relay(1, true, 3),
                                        relay(1, false, 3),  relay(2, true, 3), relay(3, true, 10)};
    const QByteArray vcd = sfp::switchingLog::toVcd(events, {});
    QVERIFY(vcd.contains("1C\n$end\n"));
    QCOMPARE(vcd.mid(vcd.indexOf("1C\n$end\n") + 8),
             QByteArray("#1\n1%\n"
                        "#3\n1!\n"
                        "#4\n0!\n1\"\n"
                        "#10\n1#\n"
                        "#11\n"));
    // A dump of one event holds its values for a step.
    QVERIFY(sfp::switchingLog::toVcd({logged(Kind::Start)}, {}).endsWith("$end\n#1\n"));
    QVERIFY(!sfp::switchingLog::toVcd({}, {}).contains("\n#"));

    // What a logic analyser's software makes of it, a sample a
    // millisecond in groups of eight: every change, the last one too.
    const QString sigrok = QStandardPaths::findExecutable(QStringLiteral("sigrok-cli"));
    if (sigrok.isEmpty()) {
        qInfo("no sigrok-cli here: its reading of the dump is not tried");
        return;
    }
    QTemporaryDir folder;
    const QString path = folder.filePath("log.vcd");
    QVERIFY(sfptest::writeFile(path, vcd));
    QProcess convert;
    convert.start(sigrok, {"-I", "vcd", "-i", path, "-O", "bits"});
    QVERIFY(convert.waitForFinished(60000));
    QCOMPARE(convert.exitCode(), 0);
    const QByteArray bits = convert.readAllStandardOutput();
    QVERIFY2(bits.contains("relay1:00010000 000\n"), bits.constData());
    QVERIFY2(bits.contains("relay2:00001111 111\n"), bits.constData());
    QVERIFY2(bits.contains("relay3:00000000 001\n"), bits.constData());
    QVERIFY2(bits.contains("relay5:01111111 111\n"), bits.constData());
}

void tst_SwitchingLog::wholeLinesAppended()
{
    QTemporaryDir folder;
    const QString path = sfp::SwitchingLog::fileName(folder.path(), "VXI0::1::INSTR/FC2");
    QCOMPARE(path, folder.path() + "/VXI0::1::INSTR%2FFC2/switching.jsonl");
    {
        sfp::SwitchingLog log;
        QSignalSpy appended(&log, &sfp::SwitchingLog::appended);
        // Without a path, kept for the view only.
        log.append(relay(1, true));
        QCOMPARE(appended.size(), 1);
        QVERIFY(!QFile::exists(path));
        log.setPath(path);
        log.append(relay(2, true));
        log.append(relay(2, false));
        QCOMPARE(log.recent().size(), size_t(3));
        QCOMPARE(log.recent().back().relay, 2);
    }
    // Appended to what is there, never overwritten.
    sfp::SwitchingLog again;
    again.setPath(path);
    again.append(relay(3, true));
    // Lines wait for the event loop to turn.
    QCOMPARE(QFileInfo(path).size(), 2 * (relay(2, true).toJson().size() + 1) + 1);
    QTRY_COMPARE(QFileInfo(path).size(), 3 * (relay(2, true).toJson().size() + 1) + 1);
    const QByteArray text = sfptest::fileContents(path);
    QCOMPARE(text,
             relay(2, true).toJson() + '\n' + relay(2, false).toJson() + '\n'
                 + relay(3, true).toJson() + '\n');
    // The view keeps the newest ones only.
    for (int i = 0; i < sfp::SwitchingLog::recentCount + 5; ++i)
        again.append(relay(5, i % 2 == 0, i));
    QCOMPARE(again.recent().size(), size_t(sfp::SwitchingLog::recentCount));
    QCOMPARE(again.recent().front().time, noon().addMSecs(5));
}

void tst_SwitchingLog::rotatesAtTenMebibytes()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("switching.jsonl");
    const QByteArray line = relay(1, true).toJson() + '\n';
    const auto appendOne = [&path] {
        sfp::SwitchingLog log;
        log.setPath(path);
        log.append(relay(1, true));
    };
    // Six times a file that the next line would take past 10 MiB: the
    // current file and four older ones are kept, the oldest dropped.
    for (int round = 1; round <= 6; ++round) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.resize(qint64(10) * 1024 * 1024 - line.size() + 1));
        QVERIFY(file.seek(0));
        QVERIFY(file.write(QByteArray::number(round)) > 0);
        file.close();
        appendOne();
        QCOMPARE(QFileInfo(path).size(), line.size());
    }
    QStringList kept = QDir(folder.path()).entryList(QDir::Files, QDir::Name);
    QCOMPARE(kept,
             QStringList({"switching.jsonl", "switching.jsonl.1", "switching.jsonl.2",
                          "switching.jsonl.3", "switching.jsonl.4"}));
    // The newest moved aside is .1.
    QCOMPARE(sfptest::fileContents(path + ".1").left(1), QByteArray("6"));
    QCOMPARE(sfptest::fileContents(path + ".4").left(1), QByteArray("3"));
    // Exactly 10 MiB is still room.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.resize(qint64(10) * 1024 * 1024 - line.size()));
    QVERIFY(file.seek(file.size() - 1));
    QVERIFY(file.write("\n") == 1);
    file.close();
    appendOne();
    QCOMPARE(QFileInfo(path).size(), qint64(10) * 1024 * 1024);
}

void tst_SwitchingLog::cutLastLineEndedFirst()
{
    // A run that died in the middle of a line: the next one ends that line
    // before its first, so that only the cut line is lost.
    QTemporaryDir folder;
    const QString path = folder.filePath("switching.jsonl");
    const QByteArray whole = relay(1, true).toJson() + '\n';
    const QByteArray cut = relay(2, true).toJson().left(30);
    QVERIFY(sfptest::writeFile(path, whole + cut));
    {
        sfp::SwitchingLog log;
        log.setPath(path);
        log.append(relay(3, true));
    }
    const QByteArray text = sfptest::fileContents(path);
    QCOMPARE(text, whole + cut + '\n' + relay(3, true).toJson() + '\n');
    int skipped = 0;
    const QList<SwitchingEvent> events = sfp::switchingLog::read(text, {}, {}, &skipped);
    QCOMPARE(skipped, 1);
    QCOMPARE(events.size(), 2);
    QCOMPARE(events.at(1).relay, 3);
}

void tst_SwitchingLog::refusalsCounted()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("switching.jsonl");
    const auto refused = [](const QString &source, const QString &reason, qint64 ms) {
        SwitchingEvent refusal = logged(Kind::Refusal, ms);
        refusal.source = source;
        refusal.reason = reason;
        refusal.error = -221;
        return refusal;
    };
    const auto lines = [&path] {
        int skipped = -1;
        QList<SwitchingEvent> events
            = sfp::switchingLog::read(sfptest::fileContents(path), {}, {}, &skipped);
        return skipped == 0 ? events : QList<SwitchingEvent>();
    };
    {
        sfp::SwitchingLog log;
        log.setPath(path);
        QSignalSpy appended(&log, &sfp::SwitchingLog::appended);
        log.append(relay(1, true));
        // Two scripts refused 100,000 times each, in turns, each for two
        // reasons in turns: the switching stays, and each stream is one
        // line and one count.
        for (int i = 0; i < 200000; ++i)
            log.append(refused(i % 2 == 0 ? "socket 127.0.0.1:1" : "socket 127.0.0.1:2",
                               i % 4 < 2 ? "locked" : "rule", 10 + i / 1000));
        // Any other line comes after what the streams held.
        SwitchingEvent byA = relay(2, true, 300);
        byA.source = "socket 127.0.0.1:1";
        log.append(byA);
        log.flush();
        QList<SwitchingEvent> events = lines();
        QCOMPARE(events.size(), 10);
        QCOMPARE(appended.size(), 10);
        QCOMPARE(events.at(0).relay, 1);
        const QStringList streams {"socket 127.0.0.1:1 locked", "socket 127.0.0.1:2 locked",
                                   "socket 127.0.0.1:1 rule", "socket 127.0.0.1:2 rule"};
        for (int i = 1; i <= 4; ++i) {
            QCOMPARE(events.at(i).source + ' ' + events.at(i).reason, streams.at(i - 1));
            QCOMPARE(events.at(i).count, 1);
            QCOMPARE(events.at(i).time, noon().addMSecs(10));
        }
        const QStringList counted {"socket 127.0.0.1:1 locked", "socket 127.0.0.1:1 rule",
                                   "socket 127.0.0.1:2 locked", "socket 127.0.0.1:2 rule"};
        for (int i = 5; i <= 8; ++i) {
            QCOMPARE(events.at(i).kind, Kind::Refusal);
            QCOMPARE(events.at(i).source + ' ' + events.at(i).reason, counted.at(i - 5));
            QCOMPARE(events.at(i).count, 49999);
            QCOMPARE(events.at(i).error, -221);
            QCOMPARE(events.at(i).first, noon().addMSecs(10));
            QCOMPARE(events.at(i).last, noon().addMSecs(209));
            QCOMPARE(events.at(i).time, noon().addMSecs(209));
        }
        QCOMPARE(events.at(9).relay, 2);

        // The stream of the source that changed something has ended: its
        // next refusal is a line at once. The other's goes on.
        log.append(refused("socket 127.0.0.1:1", "locked", 400));
        log.append(refused("socket 127.0.0.1:2", "locked", 400));
        log.append(refused("socket 127.0.0.1:2", "locked", 401));
        log.flush();
        QCOMPARE(lines().size(), 11);
        QCOMPARE(lines().constLast().source, QString("socket 127.0.0.1:1"));
        // What a stream holds is written a while later without any other
        // line, and at the end.
        QTRY_COMPARE_WITH_TIMEOUT(lines().size(), 12, 20000);
        QCOMPARE(lines().constLast().count, 2);
        QCOMPARE(lines().constLast().source, QString("socket 127.0.0.1:2"));
        log.append(refused("socket 127.0.0.1:1", "locked", 500));
    }
    QCOMPARE(lines().size(), 13);
    QCOMPARE(lines().constLast().count, 1);
    QCOMPARE(lines().constLast().time, noon().addMSecs(500));
}

void tst_SwitchingLog::filesItCannotWrite()
{
    QTemporaryDir folder;
    sfp::SwitchingLog log;
    QSignalSpy failures(&log, &sfp::SwitchingLog::writeFailed);
    // The card's folder is a file.
    QVERIFY(sfptest::writeFile(folder.filePath("card"), "x"));
    log.setPath(folder.filePath("card/switching.jsonl"));
    log.append(relay(1, true));
    log.flush();
    log.append(relay(1, false));
    log.flush();
    QCOMPARE(failures.size(), 1);
    QCOMPARE(failures.at(0).at(0).toString(),
             folder.filePath("card/switching.jsonl") + ": its folder cannot be made");
    // The changes are still there for the view.
    QCOMPARE(log.recent().size(), size_t(2));

    // A link in the log's place is not followed; a FIFO is not waited on.
    QVERIFY(QFile::link(folder.filePath("elsewhere"), folder.filePath("link.jsonl")));
    sfp::SwitchingLog linked;
    QSignalSpy linkFailures(&linked, &sfp::SwitchingLog::writeFailed);
    linked.setPath(folder.filePath("link.jsonl"));
    linked.append(relay(1, true));
    linked.flush();
    QCOMPARE(linkFailures.size(), 1);
    QCOMPARE(linkFailures.at(0).at(0).toString(),
             folder.filePath("link.jsonl") + ": it is not a regular file");
    QVERIFY(!QFile::exists(folder.filePath("elsewhere")));
    QVERIFY(::mkfifo(QFile::encodeName(folder.filePath("fifo.jsonl")).constData(), 0600) == 0);
    sfp::SwitchingLog piped;
    QSignalSpy fifoFailures(&piped, &sfp::SwitchingLog::writeFailed);
    piped.setPath(folder.filePath("fifo.jsonl"));
    piped.append(relay(1, true));
    piped.flush();
    QCOMPARE(fifoFailures.size(), 1);
    QCOMPARE(fifoFailures.at(0).at(0).toString(),
             folder.filePath("fifo.jsonl") + ": it is not a regular file");

    // Said again once the file could be written in between.
    QVERIFY(QFile::remove(folder.filePath("card")));
    log.append(relay(2, true));
    log.flush();
    QCOMPARE(failures.size(), 1);
    QCOMPARE(sfptest::fileContents(folder.filePath("card/switching.jsonl")),
             relay(2, true).toJson() + '\n');
}

void tst_SwitchingLog::fullDisk()
{
    // A file system of 64 KiB, filled: lines that do not fit are not
    // written in part, and the failure is said once.
    if (::geteuid() != 0)
        QSKIP("mounting a small file system needs root");
    QTemporaryDir folder;
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", folder.path()}) != 0)
        QSKIP("no tmpfs could be mounted here");
    const auto unmount = qScopeGuard([&] { QProcess::execute("umount", {folder.path()}); });
    sfp::SwitchingLog log;
    QSignalSpy failures(&log, &sfp::SwitchingLog::writeFailed);
    log.setPath(folder.filePath("switching.jsonl"));
    for (int i = 0; i < 2000; ++i) {
        log.append(relay(i % 32 + 1, i % 2 == 0, i));
        log.flush();
    }
    QCOMPARE(failures.size(), 1);
    QVERIFY(failures.at(0).at(0).toString().endsWith(": No space left on device"));
    const QByteArray text = sfptest::fileContents(folder.filePath("switching.jsonl"));
    QVERIFY(text.endsWith('\n'));
    int skipped = 0;
    const QList<SwitchingEvent> events = sfp::switchingLog::read(text, {}, {}, &skipped);
    QCOMPARE(skipped, 0);
    QCOMPARE(events.size(), text.count('\n'));
    QVERIFY(events.size() > 100);
}

void tst_SwitchingLog::linesInOrderFromTheWriter()
{
    // Lines are written on a thread of the log's own: whatever the turns
    // of the event loop, the flushes and the move of a full file aside,
    // every line reaches the files once, whole, in the order appended.
    QTemporaryDir folder;
    const QString path = folder.filePath("switching.jsonl");
    const QByteArray before = QByteArray(qint64(10) * 1024 * 1024 - 20000, 'x') + '\n';
    QVERIFY(sfptest::writeFile(path, before));
    QByteArray expected;
    {
        sfp::SwitchingLog log;
        log.setPath(path);
        for (int i = 0; i < 20000; ++i) {
            SwitchingEvent event = relay(i % 32 + 1, i % 3 == 0, i);
            // The values a line may share with one before it, and not.
            if (i % 5 == 3)
                event.status.reset();
            else
                event.status = i / 7 % 3 - 1;
            event.implied = i % 17 == 0;
            event.synchronized = i % 19 != 0;
            // Names that change now and then, as clients come and go.
            event.source = QStringLiteral("socket 127.0.0.1:%1").arg(40000 + i / 1500);
            expected += event.toJson() + '\n';
            log.append(event);
            if (i % 97 == 0)
                QCoreApplication::processEvents();
            if (i % 4999 == 0)
                log.flush();
        }
        // Whatever waits, handed over or not, is written as the log ends.
    }
    const QByteArray moved = sfptest::fileContents(path + ".1");
    QVERIFY(moved.startsWith(before));
    QVERIFY(moved.size() <= qint64(10) * 1024 * 1024);
    const QByteArray current = sfptest::fileContents(path);
    QVERIFY(!current.isEmpty());
    QCOMPARE(moved.mid(before.size()) + current, expected);

    // What waits when the log moves to another file goes to the one it
    // was appended for.
    const QString other = folder.filePath("other.jsonl");
    sfp::SwitchingLog log;
    log.setPath(path);
    log.append(relay(1, true));
    log.append(relay(2, true));
    log.setPath(other);
    log.append(relay(3, true));
    log.flush();
    QCOMPARE(sfptest::fileContents(path),
             current + relay(1, true).toJson() + '\n' + relay(2, true).toJson() + '\n');
    QCOMPARE(sfptest::fileContents(other), relay(3, true).toJson() + '\n');
}

void tst_SwitchingLog::recentEventsAsAppended()
{
    // The view's events are kept in short and made whole when asked for:
    // they come back as they were appended, of every kind, with names that
    // change and values an event of its kind does not have, asked for
    // between appends or after many more than are kept.
    sfp::SwitchingLog log;
    QList<SwitchingEvent> appended;
    const auto event = [](int i) {
        SwitchingEvent made = relay(i % 32 + 1, i % 2 == 0, i);
        made.source = QStringLiteral("socket 127.0.0.1:%1").arg(40000 + i / 700);
        if (i % 5 == 0)
            made.client = QStringLiteral("vxi11 link %1").arg(i % 3);
        if (i % 7 == 0)
            made.status.reset();
        made.implied = i % 11 == 0;
        made.synchronized = i % 13 != 0;
        switch (i % 1000) {
        case 1: {
            made.kind = Kind::Start;
            made.closed[size_t(i % 32)] = true;
            made.closed[31] = true;
            made.mode = sfp::SwitchingMode::SyncTrigger;
            made.exclusive = true;
            break;
        }
        case 2:
            made.kind = Kind::Refusal;
            made.reason = QStringLiteral("locked %1").arg(i);
            made.error = -221;
            break;
        // Values its kind does not have are kept too.
        case 3:
            made.reason = QStringLiteral("odd");
            break;
        case 5:
            made.closed[4] = true;
            break;
        case 6:
            made.first = noon();
            break;
        case 7:
            made.error = -222;
            break;
        case 8:
            made.last = noon();
            break;
        case 4:
            made.kind = Kind::Mode;
            made.mode = sfp::SwitchingMode::SyncCommand;
            made.time = QDateTime(QDate(2026, 12, 9), QTime(12, 0), Qt::UTC).addMSecs(i);
            break;
        default:
            break;
        }
        return made;
    };
    const auto same = [](const SwitchingEvent &kept, const SwitchingEvent &made) {
        return kept.toJson() == made.toJson() && kept.time == made.time
            && kept.time.timeSpec() == made.time.timeSpec() && kept.closed == made.closed
            && kept.reason == made.reason && kept.error == made.error && kept.first == made.first
            && kept.last == made.last && kept.count == made.count;
    };
    for (int i = 0; i < 25000; ++i) {
        appended.append(event(i));
        log.append(appended.constLast());
        if (i == 20 || i == 4321 || i == 9999 || i == 10000 || i == 20100) {
            QCOMPARE(log.recent().size(), size_t(std::min(i + 1, sfp::SwitchingLog::recentCount)));
            QVERIFY(same(log.recent().back(), appended.constLast()));
            QVERIFY(same(log.recent().front(),
                         appended.at(std::max(0, i + 1 - sfp::SwitchingLog::recentCount))));
        }
    }
    QCOMPARE(log.recent().size(), size_t(sfp::SwitchingLog::recentCount));
    for (int i = 0; i < sfp::SwitchingLog::recentCount; ++i)
        QVERIFY2(same(log.recent().at(size_t(i)), appended.at(15000 + i)),
                 log.recent().at(size_t(i)).toJson().constData());
    // Asked for while older ones, not yet made whole, are pushed out.
    for (int i = 25000; i < 36000; ++i) {
        appended.append(event(i));
        log.append(appended.constLast());
    }
    for (int i = 0; i < sfp::SwitchingLog::recentCount; ++i)
        QVERIFY(same(log.recent().at(size_t(i)), appended.at(26000 + i)));
}

void tst_SwitchingLog::appendedToWhoListens()
{
    // The signal is sent only while someone listens; listeners that come
    // and go leave the others theirs.
    sfp::SwitchingLog log;
    log.append(relay(1, true));
    QList<int> heard;
    const QMetaObject::Connection first
        = connect(&log, &sfp::SwitchingLog::appended, &log,
                  [&heard](const SwitchingEvent &event) { heard.append(event.relay); });
    log.append(relay(2, true));
    {
        QSignalSpy spy(&log, &sfp::SwitchingLog::appended);
        const QMetaObject::Connection second
            = connect(&log, &sfp::SwitchingLog::appended, &log, [] {});
        QVERIFY(disconnect(second));
        log.append(relay(3, true));
        QCOMPARE(spy.size(), 1);
    }
    log.append(relay(4, true));
    QVERIFY(disconnect(first));
    log.append(relay(5, true));
    QCOMPARE(heard, QList<int>({2, 3, 4}));
    QSignalSpy late(&log, &sfp::SwitchingLog::appended);
    log.append(relay(6, true));
    QCOMPARE(late.size(), 1);
    QCOMPARE(late.at(0).at(0).value<SwitchingEvent>().relay, 6);
    QCOMPARE(log.recent().size(), size_t(6));
}

void tst_SwitchingLog::eventsWithoutATimeStampedNow()
{
    // The card session leaves the time to the log: the line, the view's
    // event and the listeners' all carry the moment of the append, in
    // local time; a stream's held refusals and a start that the view
    // keeps whole too.
    QTemporaryDir folder;
    const QString path = folder.filePath("switching.jsonl");
    sfp::SwitchingLog log;
    log.setPath(path);
    QSignalSpy heard(&log, &sfp::SwitchingLog::appended);
    const QDateTime before = QDateTime::currentDateTime().addMSecs(-1);
    QList<SwitchingEvent> given;
    for (int i = 0; i < 6; ++i) {
        SwitchingEvent event = i < 3 ? relay(i + 1, true) : logged(Kind::Refusal);
        if (i == 0) {
            event.kind = Kind::Start;
            event.closed[6] = true;
        }
        event.reason = i < 3 ? QString() : QStringLiteral("another client holds the lock");
        event.time = QDateTime();
        given.append(event);
        log.append(event);
        QTest::qWait(2);
    }
    // The last refusal of the stream goes out at the next change.
    given.append(relay(4, true));
    given.last().time = QDateTime();
    log.append(given.constLast());
    log.flush();
    const QDateTime after = QDateTime::currentDateTime().addMSecs(1);
    const auto now = [&before, &after](const QDateTime &time) {
        return time.isValid() && time >= before && time <= after
            && time.offsetFromUtc() == before.offsetFromUtc();
    };
    const QList<QByteArray> lines = sfptest::fileContents(path).trimmed().split('\n');
    QCOMPARE(lines.size(), 6); // the start, two relays, a refusal, the held ones, relay 4
    for (int i : {0, 1, 2, 3, 5}) {
        const std::optional<SwitchingEvent> read = SwitchingEvent::fromJson(lines.at(i), nullptr);
        QVERIFY2(read && now(read->time), lines.at(i).constData());
    }
    const std::optional<SwitchingEvent> held = SwitchingEvent::fromJson(lines.at(4), nullptr);
    QVERIFY2(held && held->count == 2 && now(held->first) && now(held->last)
                 && held->first < held->last,
             lines.at(4).constData());
    QCOMPARE(log.recent().size(), size_t(6));
    for (size_t i = 0; i < 6; ++i)
        QVERIFY2(now(log.recent().at(i).time), qPrintable(QString::number(i)));
    QCOMPARE(log.recent().front().closed, given.front().closed);
    QVERIFY(heard.size() == 6);
    for (const QList<QVariant> &event : heard)
        QVERIFY(now(event.at(0).value<SwitchingEvent>().time));
}

void tst_SwitchingLog::failureSaidFromTheWriter()
{
    // A write that fails on the writer's thread, with no flush to wait
    // for it, is said on the log's own thread, once, until a line is
    // written again.
    QTemporaryDir folder;
    QVERIFY(sfptest::writeFile(folder.filePath("card"), "x"));
    sfp::SwitchingLog log;
    QStringList said;
    QList<QThread *> threads;
    // Run where the signal is sent.
    connect(
        &log, &sfp::SwitchingLog::writeFailed, &log,
        [&](const QString &why) {
            said.append(why);
            threads.append(QThread::currentThread());
        },
        Qt::DirectConnection);
    log.setPath(folder.filePath("card/switching.jsonl"));
    log.append(relay(1, true));
    QTRY_COMPARE(said.size(), 1);
    QCOMPARE(said.at(0), folder.filePath("card/switching.jsonl") + ": its folder cannot be made");
    QCOMPARE(threads.at(0), QThread::currentThread());
    for (int i = 0; i < 3; ++i) {
        log.append(relay(2, true, i));
        QCoreApplication::processEvents();
        log.flush();
    }
    QCOMPARE(said.size(), 1);

    // Written again, then failing again: said a second time.
    QVERIFY(QFile::remove(folder.filePath("card")));
    log.append(relay(3, true));
    QTRY_COMPARE(sfptest::fileContents(folder.filePath("card/switching.jsonl")),
                 relay(3, true).toJson() + '\n');
    QCOMPARE(said.size(), 1);
    QVERIFY(QDir(folder.filePath("card")).removeRecursively());
    QVERIFY(sfptest::writeFile(folder.filePath("card"), "x"));
    log.setPath(folder.filePath("card/second.jsonl"));
    log.append(relay(4, true));
    QTRY_COMPARE(said.size(), 2);
    QCOMPARE(threads.at(1), QThread::currentThread());
}

SFPTEST_CORE_MAIN(tst_SwitchingLog)
#include "tst_switchinglog.moc"
