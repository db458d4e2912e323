// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The SCPI command parser: header forms and the header path, every command,
// channel and scan lists, numbers and durations, booleans, modes and trigger
// sources, strings, the errors it gives, the stop at the first error, the
// error table, the response forms, and hostile input.
#include "scpiparser.h"

#include <QMetaEnum>
#include <QRandomGenerator>
#include <QTest>

#include <limits>

using sfp::scpi::Command;
using sfp::scpi::Mode;
using sfp::scpi::TriggerSource;
using sfp::scpi::Unit;
using Units = QList<Unit>;
using Steps = QList<QList<int>>;

namespace {

Unit command(Command c)
{
    Unit unit;
    unit.command = c;
    return unit;
}

Unit channels(Command c, const QList<int> &list)
{
    Unit unit = command(c);
    unit.channels = list;
    return unit;
}

Unit number(Command c, int value)
{
    Unit unit = command(c);
    unit.number = value;
    return unit;
}

Unit exclusive(bool on)
{
    Unit unit = command(Command::RouteExclusive);
    unit.flag = on;
    return unit;
}

Unit mode(Mode m)
{
    Unit unit = command(Command::RouteMode);
    unit.mode = m;
    return unit;
}

Unit label(const QString &text, const QList<int> &list)
{
    Unit unit = channels(Command::RouteChannelLabel, list);
    unit.text = text;
    return unit;
}

Unit scan(const Steps &steps)
{
    Unit unit = command(Command::RouteScan);
    unit.steps = steps;
    return unit;
}

Unit duration(Command c, int milliseconds)
{
    Unit unit = command(c);
    unit.milliseconds = milliseconds;
    return unit;
}

Unit delay(int milliseconds, const QList<int> &list)
{
    Unit unit = duration(Command::RouteChannelDelay, milliseconds);
    unit.channels = list;
    return unit;
}

Unit source(TriggerSource s)
{
    Unit unit = command(Command::TriggerSource);
    unit.triggerSource = s;
    return unit;
}

Unit named(Command c, const QString &name)
{
    Unit unit = command(c);
    unit.text = name;
    return unit;
}

Unit sequence(const QString &name, const QString &commands)
{
    Unit unit = named(Command::RouteSequenceDefine, name);
    unit.commands = commands;
    return unit;
}

Unit error(int number)
{
    Unit unit;
    unit.error = number;
    return unit;
}

QList<Unit> suffixError()
{
    return {error(sfp::scpi::HeaderSuffixOutOfRange)};
}

QString numberList(const QList<int> &numbers)
{
    QStringList texts;
    for (int n : numbers)
        texts << QString::number(n);
    return texts.join(QLatin1Char(','));
}

// Every field of every unit, so that a comparison shows all differences.
QStringList describe(const Units &units)
{
    QStringList lines;
    for (const Unit &unit : units) {
        QStringList stepTexts;
        for (const QList<int> &step : unit.steps)
            stepTexts << QLatin1Char('[') + numberList(step) + QLatin1Char(']');
        lines << QStringLiteral("%1 (@%2) number=%3 flag=%4 mode=%5 text=[%7] error=%6")
                     .arg(QLatin1String(
                              QMetaEnum::fromType<Command>().valueToKey(int(unit.command))),
                          numberList(unit.channels))
                     .arg(unit.number)
                     .arg(unit.flag ? QStringLiteral("ON") : QStringLiteral("OFF"))
                     .arg(int(unit.mode))
                     .arg(unit.error)
                     .arg(unit.text)
                + QStringLiteral(" steps=%1 ms=%2 source=%3 commands=[%4]")
                      .arg(stepTexts.join(QString()))
                      .arg(unit.milliseconds)
                      .arg(int(unit.triggerSource))
                      .arg(unit.commands);
    }
    return lines;
}

// Units holding at most one error, as the last one.
bool errorOnlyLast(const Units &units)
{
    for (qsizetype i = 0; i < units.size(); ++i) {
        if (units.at(i).error != sfp::scpi::NoError && i != units.size() - 1)
            return false;
    }
    return true;
}

} // namespace

class tst_ScpiParser : public QObject
{
    Q_OBJECT

private slots:
    void headerForms_data();
    void headerForms() { checkRow(); }
    void headerPath_data();
    void headerPath() { checkRow(); }
    void everyCommand_data();
    void everyCommand() { checkRow(); }
    void channelLists_data();
    void channelLists() { checkRow(); }
    void numbers_data();
    void numbers() { checkRow(); }
    void booleansAndModes_data();
    void booleansAndModes() { checkRow(); }
    void parameterErrors_data();
    void parameterErrors() { checkRow(); }
    void syntaxErrors_data();
    void syntaxErrors() { checkRow(); }
    void separatorsAndWhitespace_data();
    void separatorsAndWhitespace() { checkRow(); }
    void stopsAtFirstError_data();
    void stopsAtFirstError() { checkRow(); }
    void strings_data();
    void strings() { checkRow(); }
    void pathStartsAtRootOnEachLine();
    void errorStrings_data();
    void errorStrings();
    void channelListResponses_data();
    void channelListResponses();
    void scanListResponses_data();
    void scanListResponses();
    void secondsResponses_data();
    void secondsResponses();
    void hostileInput_data();
    void lineEndsWhereItsViewEnds();
    void hostileInput() { checkRow(); }
    void randomGarbage();
    void manyUnits();

private:
    static void addColumns();
    static void checkRow();
};

void tst_ScpiParser::addColumns()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<Units>("expected");
}

void tst_ScpiParser::checkRow()
{
    QFETCH(QByteArray, line);
    QFETCH(Units, expected);
    const Units units = sfp::scpi::parseLine(line);
    QCOMPARE(describe(units), describe(expected));
    QVERIFY(errorOnlyLast(units));
}

void tst_ScpiParser::headerForms_data()
{
    addColumns();
    const Units close1 {channels(Command::RouteClose, {1})};
    const Units undefined {error(sfp::scpi::UndefinedHeader)};
    QTest::newRow("short") << QByteArray("ROUT:CLOS (@1)") << close1;
    QTest::newRow("long") << QByteArray("ROUTE:CLOSE (@1)") << close1;
    QTest::newRow("as documented") << QByteArray("ROUTe:CLOSe (@1)") << close1;
    QTest::newRow("lower long") << QByteArray("rout:close (@1)") << close1;
    QTest::newRow("mixed") << QByteArray("rOuTe:ClOs (@1)") << close1;
    QTest::newRow("leading colon") << QByteArray(":ROUT:CLOS (@1)") << close1;
    QTest::newRow("too long") << QByteArray("ROUTEX:CLOS (@1)") << undefined;
    QTest::newRow("too short") << QByteArray("ROU:CLOS (@1)") << undefined;
    QTest::newRow("between forms") << QByteArray("ROUTE:CLOSED (@1)") << undefined;
    QTest::newRow("long form cut") << QByteArray("ROUT:CLO (@1)") << undefined;
    QTest::newRow("unknown root") << QByteArray("FOO:BAR") << undefined;
    QTest::newRow("node only") << QByteArray("ROUT") << undefined;
    QTest::newRow("too deep") << QByteArray("ROUT:CLOS:ALL") << undefined;

    const Units errorQuery {command(Command::SystemErrorNextQuery)};
    QTest::newRow("optional left out") << QByteArray("SYST:ERR?") << errorQuery;
    QTest::newRow("optional given") << QByteArray("SYST:ERR:NEXT?") << errorQuery;
    QTest::newRow("optional long") << QByteArray("system:error:next?") << errorQuery;
    QTest::newRow("optional only") << QByteArray("SYST:NEXT?") << undefined;
    QTest::newRow("optional cut") << QByteArray("SYST:ERR:NEX?") << undefined;
    QTest::newRow("optional, no query form") << QByteArray("SYST:ERR") << undefined;
    QTest::newRow("EVENt left out")
        << QByteArray("STAT:OPER?") << Units {command(Command::StatusOperationEventQuery)};
    QTest::newRow("EVENt given") << QByteArray("STATus:OPERation:EVENt?")
                                 << Units {command(Command::StatusOperationEventQuery)};
    QTest::newRow("EVENt short") << QByteArray("stat:ques:even?")
                                 << Units {command(Command::StatusQuestionableEventQuery)};

    QTest::newRow("CLOSe:STATe cut") << QByteArray("ROUT:CLOS:STA?") << undefined;
    QTest::newRow("STATe under OPEN") << QByteArray("ROUT:OPEN:STAT?") << undefined;
    QTest::newRow("EXCLusive under OPEN") << QByteArray("ROUT:OPEN:EXCL (@1)") << undefined;
    QTest::newRow("COUNt cut") << QByteArray("SYST:ERR:COU?") << undefined;
    QTest::newRow("ALL under SYSTem") << QByteArray("SYST:ALL?") << undefined;
    QTest::newRow("LOCK alone") << QByteArray("SYST:LOCK") << undefined;
    QTest::newRow("LOCK alone, query") << QByteArray("SYST:LOCK?") << undefined;
    QTest::newRow("LOCK cut") << QByteArray("SYST:LOCK:REQU?") << undefined;
    QTest::newRow("LOCal long, LOCK child") << QByteArray("SYST:LOCAL:REQ?") << undefined;
    QTest::newRow("CONDition under STATus") << QByteArray("STAT:COND?") << undefined;
    QTest::newRow("ENABle cut") << QByteArray("STAT:OPER:ENA?") << undefined;
    QTest::newRow("ENABle under EVENt") << QByteArray("STAT:OPER:EVEN:ENAB?") << undefined;
    QTest::newRow("suffix on STATe") << QByteArray("ROUT:CLOS:STAT1?") << suffixError();
    QTest::newRow("suffix on ENABle") << QByteArray("STAT:QUES:ENAB2 1") << suffixError();

    QTest::newRow("query of a command") << QByteArray("SYST:LOC?") << undefined;
    QTest::newRow("command of a query") << QByteArray("ROUT:SYNC") << undefined;
    QTest::newRow("CLOSe:STATe as a command") << QByteArray("ROUT:CLOS:STAT") << undefined;
    QTest::newRow("CLOSe:EXCLusive as a query") << QByteArray("ROUT:CLOS:EXCL? (@1)") << undefined;
    QTest::newRow("ERRor:COUNt as a command") << QByteArray("SYST:ERR:COUN") << undefined;
    QTest::newRow("ERRor:ALL as a command") << QByteArray("SYST:ERR:ALL") << undefined;
    QTest::newRow("LOCK:REQuest as a command") << QByteArray("SYST:LOCK:REQ") << undefined;
    QTest::newRow("LOCK:RELease as a query") << QByteArray("SYST:LOCK:REL?") << undefined;
    QTest::newRow("LOCK:OWNer as a command") << QByteArray("SYST:LOCK:OWN") << undefined;
    QTest::newRow("CONDition as a command") << QByteArray("STAT:OPER:COND") << undefined;

    const Units suffix = suffixError();
    QTest::newRow("suffix on root") << QByteArray("ROUT2:CLOS (@1)") << suffix;
    QTest::newRow("suffix on leaf") << QByteArray("ROUT:CLOS1 (@1)") << suffix;
    QTest::newRow("suffix on long form") << QByteArray("ROUTE3:OPEN:ALL") << suffix;
    QTest::newRow("suffix on left-out node") << QByteArray("SYST:ERR5?") << suffix;
    QTest::newRow("suffix, unknown mnemonic") << QByteArray("ROUTX2:CLOS (@1)") << undefined;
    QTest::newRow("suffix, query of a command") << QByteArray("SYST2:LOC?") << undefined;
}

void tst_ScpiParser::headerPath_data()
{
    addColumns();
    QTest::newRow("kept after a command")
        << QByteArray("ROUT:CLOS (@1);OPEN (@2)")
        << Units {channels(Command::RouteClose, {1}), channels(Command::RouteOpen, {2})};
    QTest::newRow("kept twice") << QByteArray("ROUT:CLOS (@1);OPEN (@2);EXCL ON;MODE?")
                                << Units {channels(Command::RouteClose, {1}),
                                          channels(Command::RouteOpen, {2}), exclusive(true),
                                          command(Command::RouteModeQuery)};
    QTest::newRow("relative to the path only")
        << QByteArray("ROUT:CLOS (@1);SYST:ERR?")
        << Units {channels(Command::RouteClose, {1}), error(sfp::scpi::UndefinedHeader)};
    QTest::newRow("colon returns to the root")
        << QByteArray("ROUT:CLOS (@1);:SYST:ERR?")
        << Units {channels(Command::RouteClose, {1}), command(Command::SystemErrorNextQuery)};
    QTest::newRow("colon, same subsystem")
        << QByteArray("ROUT:CLOS (@1);:ROUT:OPEN (@2)")
        << Units {channels(Command::RouteClose, {1}), channels(Command::RouteOpen, {2})};
    QTest::newRow("common keeps the path")
        << QByteArray("ROUT:CLOS (@1);*OPC;OPEN (@2)")
        << Units {channels(Command::RouteClose, {1}), command(Command::Opc),
                  channels(Command::RouteOpen, {2})};
    QTest::newRow("common keeps the root")
        << QByteArray("*RST;ROUT:OPEN:ALL")
        << Units {command(Command::Rst), command(Command::RouteOpenAll)};
    QTest::newRow("root at the start")
        << QByteArray("*CLS;CLOS (@1)")
        << Units {command(Command::Cls), error(sfp::scpi::UndefinedHeader)};
    QTest::newRow("parent of a deeper leaf")
        << QByteArray("ROUT:OPEN:ALL;ALL")
        << Units {command(Command::RouteOpenAll), command(Command::RouteOpenAll)};
    QTest::newRow("leaf is not the path")
        << QByteArray("ROUT:OPEN (@1);ALL")
        << Units {channels(Command::RouteOpen, {1}), error(sfp::scpi::UndefinedHeader)};
    QTest::newRow("optional node typed")
        << QByteArray("SYST:ERR:NEXT?;NEXT?")
        << Units {command(Command::SystemErrorNextQuery), command(Command::SystemErrorNextQuery)};
    QTest::newRow("optional node left out")
        << QByteArray("STAT:OPER?;QUES?;PRES")
        << Units {command(Command::StatusOperationEventQuery),
                  command(Command::StatusQuestionableEventQuery), command(Command::StatusPreset)};
    QTest::newRow("list queries on the ROUTe path")
        << QByteArray("ROUT:CLOS?;OPEN?;CLOS? (@2)")
        << Units {command(Command::RouteCloseListQuery), command(Command::RouteOpenListQuery),
                  channels(Command::RouteCloseQuery, {2})};
    QTest::newRow("CLOSe is the path after STATe")
        << QByteArray("ROUT:CLOS:STAT?;STAT?;EXCL (@4)")
        << Units {command(Command::RouteCloseListQuery), command(Command::RouteCloseListQuery),
                  channels(Command::RouteCloseExclusive, {4})};
    QTest::newRow("ROUTe:EXCLusive is not CLOSe:EXCLusive")
        << QByteArray("ROUT:CLOS:EXCL (@1);:ROUT:EXCL ON;CLOS:EXCL (@2)")
        << Units {channels(Command::RouteCloseExclusive, {1}), exclusive(true),
                  channels(Command::RouteCloseExclusive, {2})};
    QTest::newRow("ERRor is the path after COUNt")
        << QByteArray("SYST:ERR:COUN?;ALL?;NEXT?")
        << Units {command(Command::SystemErrorCountQuery), command(Command::SystemErrorAllQuery),
                  command(Command::SystemErrorNextQuery)};
    QTest::newRow("LOCK is the path after REQuest")
        << QByteArray("SYST:LOCK:REQ?;OWN?;REL")
        << Units {command(Command::SystemLockRequestQuery), command(Command::SystemLockOwnerQuery),
                  command(Command::SystemLockRelease)};
    QTest::newRow("OPERation is the path after ENABle")
        << QByteArray("STAT:OPER:ENAB 7;ENAB?;COND?;EVEN?")
        << Units {number(Command::StatusOperationEnable, 7),
                  command(Command::StatusOperationEnableQuery),
                  command(Command::StatusOperationConditionQuery),
                  command(Command::StatusOperationEventQuery)};
    QTest::newRow("after an optional node typed")
        << QByteArray("STAT:OPER:EVEN?;EVEN?")
        << Units {command(Command::StatusOperationEventQuery),
                  command(Command::StatusOperationEventQuery)};
    QTest::newRow("TRIGger is the path after SOURce")
        << QByteArray("TRIG:SOUR TIM;TIM 0.5;COUN INF;SOUR?")
        << Units {source(TriggerSource::Timer), duration(Command::TriggerTimer, 500),
                  number(Command::TriggerCount, 0), command(Command::TriggerSourceQuery)};
    QTest::newRow("ROUTe is the path after SCAN")
        << QByteArray("ROUT:SCAN (@1);SCAN?;CHAN:DEL 0,(@1)")
        << Units {scan({{1}}), command(Command::RouteScanQuery), delay(0, {1})};
    QTest::newRow("SCAN is the path after SCAN:STATe")
        << QByteArray("ROUT:SCAN:STAT?;STAT?")
        << Units {command(Command::RouteScanStateQuery), command(Command::RouteScanStateQuery)};
    QTest::newRow("SEQuence is the path after DEFine")
        << QByteArray("ROUT:SEQ:DEF 'a','ROUT:OPEN:ALL';CAT?;TRIG 'a';BUSY?")
        << Units {sequence("a", "ROUT:OPEN:ALL"), command(Command::RouteSequenceCatalogQuery),
                  named(Command::RouteSequenceTrigger, "a"),
                  command(Command::RouteSequenceBusyQuery)};
    QTest::newRow("INITiate is the path after IMMediate")
        << QByteArray("INIT:IMM;IMM;:ABOR")
        << Units {command(Command::Initiate), command(Command::Initiate), command(Command::Abort)};
    QTest::newRow("root stays after INITiate")
        << QByteArray("INIT;ABOR") << Units {command(Command::Initiate), command(Command::Abort)};
}

void tst_ScpiParser::strings_data()
{
    addColumns();
    using sfp::scpi::DataOutOfRange;
    using sfp::scpi::DataTypeError;
    using sfp::scpi::IllegalParameterValue;
    using sfp::scpi::MissingParameter;
    using sfp::scpi::SyntaxError;
    QTest::newRow("label") << QByteArray(R"(ROUT:CHAN:LAB "PSU rail",(@3,4))")
                           << Units {label("PSU rail", {3, 4})};
    QTest::newRow("long form, single quotes")
        << QByteArray("route:channel:label 'it''s',(@1)") << Units {label("it's", {1})};
    QTest::newRow("doubled quotes, spaces") << QByteArray(R"(ROUT:CHAN:LAB "say ""hi""" ,  (@1:2))")
                                            << Units {label("say \"hi\"", {1, 2})};
    QTest::newRow("the other quote inside")
        << QByteArray(R"(ROUT:CHAN:LAB "it's",(@1))") << Units {label("it's", {1})};
    QTest::newRow("empty") << QByteArray(R"(ROUT:CHAN:LAB "",(@2))") << Units {label("", {2})};
    QTest::newRow("UTF-8") << QByteArray("ROUT:CHAN:LAB \"\xce\xa9 sense\",(@32)")
                           << Units {label("Ω sense", {32})};
    // A separator inside a string is part of it.
    QTest::newRow("separator inside") << QByteArray(R"(ROUT:CHAN:LAB "a;b:c",(@1);*OPC)")
                                      << Units {label("a;b:c", {1}), command(Command::Opc)};
    QTest::newRow("query") << QByteArray("ROUT:CHAN:LAB? (@1:3)")
                           << Units {channels(Command::RouteChannelLabelQuery, {1, 2, 3})};
    QTest::newRow("clear") << QByteArray("ROUT:CHAN:LAB:CLE (@5)")
                           << Units {channels(Command::RouteChannelLabelClear, {5})};
    QTest::newRow("allowed") << QByteArray("ROUT:CLOS:ALL? (@5,3)")
                             << Units {channels(Command::RouteCloseAllowedQuery, {5, 3})};
    QTest::newRow("unterminated") << QByteArray(R"(ROUT:CHAN:LAB "abc,(@1))")
                                  << Units {error(SyntaxError)};
    QTest::newRow("not UTF-8") << QByteArray("ROUT:CHAN:LAB \"\xff\",(@1)")
                               << Units {error(IllegalParameterValue)};
    QTest::newRow("a character cut at the end")
        << QByteArray("ROUT:CHAN:LAB \"ab\xce\",(@1)") << Units {error(IllegalParameterValue)};
    QTest::newRow("no list") << QByteArray(R"(ROUT:CHAN:LAB "a")")
                             << Units {error(MissingParameter)};
    QTest::newRow("no list after the comma")
        << QByteArray(R"(ROUT:CHAN:LAB "a", ;*OPC)") << Units {error(MissingParameter)};
    QTest::newRow("no comma") << QByteArray(R"(ROUT:CHAN:LAB "a" (@1))")
                              << Units {error(SyntaxError)};
    QTest::newRow("a number for the list")
        << QByteArray(R"(ROUT:CHAN:LAB "a",5)") << Units {error(DataTypeError)};
    QTest::newRow("garbage for the list")
        << QByteArray(R"(ROUT:CHAN:LAB "a",!)") << Units {error(SyntaxError)};
    QTest::newRow("only a list") << QByteArray("ROUT:CHAN:LAB (@1)")
                                 << Units {error(DataTypeError)};
    QTest::newRow("channel 33") << QByteArray(R"(ROUT:CHAN:LAB "a",(@33))")
                                << Units {error(DataOutOfRange)};
    QTest::newRow("a string where none is taken")
        << QByteArray(R"(ROUT:CLOS "1")") << Units {error(DataTypeError)};
    QTest::newRow("state defined") << QByteArray(R"(MEM:STAT:DEF "idle",(@1,4))") << [] {
        Unit unit = channels(Command::MemoryStateDefine, {1, 4});
        unit.text = QStringLiteral("idle");
        return Units {unit};
    }();
    QTest::newRow("state recalled") << QByteArray("memory:state:recall 'idle'") << [] {
        Unit unit = command(Command::MemoryStateRecall);
        unit.text = QStringLiteral("idle");
        return Units {unit};
    }();
    QTest::newRow("state recalled with a list") << QByteArray(R"(MEM:STAT:REC "idle",(@1))")
                                                << Units {error(sfp::scpi::ParameterNotAllowed)};
    QTest::newRow("state recalled by number")
        << QByteArray("MEM:STAT:REC 1") << Units {error(DataTypeError)};
    QTest::newRow("catalog") << QByteArray("MEM:STAT:CAT?")
                             << Units {command(Command::MemoryStateCatalogQuery)};
    QTest::newRow("a third parameter") << QByteArray(R"(ROUT:CHAN:LAB "a",(@1),2)")
                                       << Units {error(sfp::scpi::ParameterNotAllowed)};

    // A sequence's commands are one string, whatever separators and quotes
    // it holds.
    QTest::newRow("sequence with separators")
        << QByteArray(R"(ROUT:SEQ:DEF "s1","ROUT:CLOS (@1);ROUT:SEQ:WAIT 100";*OPC)")
        << Units {sequence("s1", "ROUT:CLOS (@1);ROUT:SEQ:WAIT 100"), command(Command::Opc)};
    QTest::newRow("sequence with the other quote")
        << QByteArray(R"(ROUT:SEQ:DEF 's2','ROUT:CHAN:LAB "a;b",(@1);ROUT:OPEN:ALL')")
        << Units {sequence("s2", "ROUT:CHAN:LAB \"a;b\",(@1);ROUT:OPEN:ALL")};
    QTest::newRow("sequence with doubled quotes")
        << QByteArray(R"x(ROUT:SEQ:DEF "s3","ROUT:CHAN:LAB ""x"",(@2)")x")
        << Units {sequence("s3", "ROUT:CHAN:LAB \"x\",(@2)")};
    QTest::newRow("sequence, mixed quotes, spaces")
        << QByteArray(R"(ROUT:SEQ:DEF 'it''s' , "ROUT:OPEN:ALL" )")
        << Units {sequence("it's", "ROUT:OPEN:ALL")};
    QTest::newRow("sequence, empty commands")
        << QByteArray(R"(ROUT:SEQ:DEF "e","")") << Units {sequence("e", "")};
    QTest::newRow("sequence, UTF-8") << QByteArray("ROUT:SEQ:DEF \"\xce\xa9\",\"ROUT:OPEN:ALL\"")
                                     << Units {sequence("Ω", "ROUT:OPEN:ALL")};
    QTest::newRow("sequence without commands")
        << QByteArray(R"(ROUT:SEQ:DEF "s")") << Units {error(MissingParameter)};
    QTest::newRow("sequence without commands after the comma")
        << QByteArray(R"(ROUT:SEQ:DEF "s",;*RST)") << Units {error(MissingParameter)};
    QTest::newRow("sequence, unterminated commands")
        << QByteArray(R"(ROUT:SEQ:DEF "s","ROUT:CLOS (@1);*RST)") << Units {error(SyntaxError)};
    QTest::newRow("sequence, commands not UTF-8")
        << QByteArray("ROUT:SEQ:DEF \"s\",\"\xc3\"") << Units {error(IllegalParameterValue)};
    QTest::newRow("sequence, a number for the name")
        << QByteArray(R"(ROUT:SEQ:DEF 1,"ROUT:OPEN:ALL")") << Units {error(DataTypeError)};
    QTest::newRow("sequence, a list for the commands")
        << QByteArray(R"(ROUT:SEQ:DEF "s",(@1))") << Units {error(DataTypeError)};
    QTest::newRow("sequence, commands unquoted")
        << QByteArray(R"(ROUT:SEQ:DEF "s",ROUT:OPEN:ALL)") << Units {error(DataTypeError)};
    QTest::newRow("sequence, no comma")
        << QByteArray(R"(ROUT:SEQ:DEF "s" "t")") << Units {error(SyntaxError)};
    QTest::newRow("sequence, a third parameter") << QByteArray(R"(ROUT:SEQ:DEF "s","t","u")")
                                                 << Units {error(sfp::scpi::ParameterNotAllowed)};
    QTest::newRow("sequence query without a name")
        << QByteArray("ROUT:SEQ:DEF?") << Units {error(MissingParameter)};
    QTest::newRow("sequence deleted by number")
        << QByteArray("ROUT:SEQ:DEL 1") << Units {error(DataTypeError)};
    QTest::newRow("all deleted with a name")
        << QByteArray(R"(ROUT:SEQ:DEL:ALL "s")") << Units {error(sfp::scpi::ParameterNotAllowed)};
    QTest::newRow("sequence run without a name")
        << QByteArray("ROUT:SEQ:TRIG") << Units {error(MissingParameter)};
    QTest::newRow("sequence run with two names")
        << QByteArray(R"(ROUT:SEQ:TRIG "a","b")") << Units {error(sfp::scpi::ParameterNotAllowed)};
    QTest::newRow("busy query with a name")
        << QByteArray(R"(ROUT:SEQ:BUSY? "a")") << Units {error(sfp::scpi::ParameterNotAllowed)};
}

void tst_ScpiParser::everyCommand_data()
{
    addColumns();
    QTest::newRow("*IDN?") << QByteArray("*IDN?") << Units {command(Command::IdnQuery)};
    QTest::newRow("*idn?") << QByteArray("*idn?") << Units {command(Command::IdnQuery)};
    QTest::newRow("*RST") << QByteArray("*RST") << Units {command(Command::Rst)};
    QTest::newRow("*Rst") << QByteArray("*Rst") << Units {command(Command::Rst)};
    QTest::newRow("*CLS") << QByteArray("*CLS") << Units {command(Command::Cls)};
    QTest::newRow("*ESE") << QByteArray("*ESE 32") << Units {number(Command::Ese, 32)};
    QTest::newRow("*ESE?") << QByteArray("*ESE?") << Units {command(Command::EseQuery)};
    QTest::newRow("*ESR?") << QByteArray("*ESR?") << Units {command(Command::EsrQuery)};
    QTest::newRow("*SRE") << QByteArray("*SRE 16") << Units {number(Command::Sre, 16)};
    QTest::newRow("*SRE?") << QByteArray("*SRE?") << Units {command(Command::SreQuery)};
    QTest::newRow("*STB?") << QByteArray("*STB?") << Units {command(Command::StbQuery)};
    QTest::newRow("*OPC") << QByteArray("*OPC") << Units {command(Command::Opc)};
    QTest::newRow("*OPC?") << QByteArray("*OPC?") << Units {command(Command::OpcQuery)};
    QTest::newRow("*WAI") << QByteArray("*WAI") << Units {command(Command::Wai)};
    QTest::newRow("*TST?") << QByteArray("*TST?") << Units {command(Command::TstQuery)};
    QTest::newRow("*OPT?") << QByteArray("*OPT?") << Units {command(Command::OptQuery)};
    QTest::newRow("*OPT without ?")
        << QByteArray("*OPT") << Units {error(sfp::scpi::UndefinedHeader)};
    QTest::newRow("*TRG") << QByteArray("*TRG") << Units {command(Command::Trg)};
    QTest::newRow("*SAV") << QByteArray("*SAV 3") << Units {number(Command::Sav, 3)};
    QTest::newRow("*RCL") << QByteArray("*RCL 4") << Units {number(Command::Rcl, 4)};
    QTest::newRow("*IDN without ?")
        << QByteArray("*IDN") << Units {error(sfp::scpi::UndefinedHeader)};
    QTest::newRow("*RST?") << QByteArray("*RST?") << Units {error(sfp::scpi::UndefinedHeader)};
    QTest::newRow("*FOO") << QByteArray("*FOO") << Units {error(sfp::scpi::UndefinedHeader)};
    QTest::newRow("*RST2") << QByteArray("*RST2") << Units {error(sfp::scpi::UndefinedHeader)};

    QTest::newRow("ROUT:CLOS") << QByteArray("ROUT:CLOS (@5)")
                               << Units {channels(Command::RouteClose, {5})};
    QTest::newRow("ROUT:CLOS?") << QByteArray("ROUT:CLOS? (@5,6)")
                                << Units {channels(Command::RouteCloseQuery, {5, 6})};
    QTest::newRow("ROUT:OPEN") << QByteArray("ROUT:OPEN (@7)")
                               << Units {channels(Command::RouteOpen, {7})};
    QTest::newRow("ROUTE:OPEN?") << QByteArray("ROUTE:OPEN? (@32)")
                                 << Units {channels(Command::RouteOpenQuery, {32})};
    QTest::newRow("ROUT:OPEN:ALL")
        << QByteArray("ROUT:OPEN:ALL") << Units {command(Command::RouteOpenAll)};
    QTest::newRow("ROUT:CLOS? without a list")
        << QByteArray("ROUT:CLOS?") << Units {command(Command::RouteCloseListQuery)};
    QTest::newRow("route:close? without a list")
        << QByteArray("route:close?") << Units {command(Command::RouteCloseListQuery)};
    QTest::newRow("ROUT:OPEN? without a list")
        << QByteArray("ROUT:OPEN?") << Units {command(Command::RouteOpenListQuery)};
    QTest::newRow("ROUTE:OPEN? without a list, blank after")
        << QByteArray("ROUTE:OPEN?  \t") << Units {command(Command::RouteOpenListQuery)};
    QTest::newRow("ROUT:CLOS:STAT?")
        << QByteArray("ROUT:CLOS:STAT?") << Units {command(Command::RouteCloseListQuery)};
    QTest::newRow("ROUTE:CLOSE:STATE?")
        << QByteArray("ROUTE:CLOSE:STATE?") << Units {command(Command::RouteCloseListQuery)};
    QTest::newRow("ROUTe:CLOSe:STATe?")
        << QByteArray("ROUTe:CLOSe:STATe?") << Units {command(Command::RouteCloseListQuery)};
    QTest::newRow("ROUT:CLOS:EXCL") << QByteArray("ROUT:CLOS:EXCL (@3,5:6)")
                                    << Units {channels(Command::RouteCloseExclusive, {3, 5, 6})};
    QTest::newRow("route:close:exclusive") << QByteArray("route:close:exclusive (@32)")
                                           << Units {channels(Command::RouteCloseExclusive, {32})};
    QTest::newRow("ROUT:MODE") << QByteArray("ROUT:MODE TRIG") << Units {mode(Mode::SyncTrigger)};
    QTest::newRow("ROUT:MODE?") << QByteArray("ROUT:MODE?")
                                << Units {command(Command::RouteModeQuery)};
    QTest::newRow("ROUT:UPD") << QByteArray("ROUT:UPD") << Units {command(Command::RouteUpdate)};
    QTest::newRow("ROUTE:UPDATE") << QByteArray("ROUTE:UPDATE")
                                  << Units {command(Command::RouteUpdate)};
    QTest::newRow("ROUT:EXCL") << QByteArray("ROUT:EXCL ON") << Units {exclusive(true)};
    QTest::newRow("ROUTE:EXCLUSIVE?")
        << QByteArray("ROUTE:EXCLUSIVE?") << Units {command(Command::RouteExclusiveQuery)};
    QTest::newRow("ROUT:SYNC?") << QByteArray("ROUT:SYNC?")
                                << Units {command(Command::RouteSynchronizedQuery)};
    QTest::newRow("ROUTE:SYNCHRONIZED?")
        << QByteArray("ROUTE:SYNCHRONIZED?") << Units {command(Command::RouteSynchronizedQuery)};
    QTest::newRow("SYST:ERR?") << QByteArray("SYST:ERR?")
                               << Units {command(Command::SystemErrorNextQuery)};
    QTest::newRow("SYST:ERR:COUN?")
        << QByteArray("SYST:ERR:COUN?") << Units {command(Command::SystemErrorCountQuery)};
    QTest::newRow("SYSTEM:ERROR:COUNT?")
        << QByteArray("system:error:count?") << Units {command(Command::SystemErrorCountQuery)};
    QTest::newRow("SYST:ERR:ALL?")
        << QByteArray("SYST:ERR:ALL?") << Units {command(Command::SystemErrorAllQuery)};
    QTest::newRow("SYSTEM:ERROR:ALL?")
        << QByteArray("SYSTEM:ERROR:ALL?") << Units {command(Command::SystemErrorAllQuery)};
    QTest::newRow("SYST:LOCK:REQ?")
        << QByteArray("SYST:LOCK:REQ?") << Units {command(Command::SystemLockRequestQuery)};
    QTest::newRow("SYSTEM:LOCK:REQUEST?")
        << QByteArray("SYSTEM:LOCK:REQUEST?") << Units {command(Command::SystemLockRequestQuery)};
    QTest::newRow("SYST:LOCK:REL")
        << QByteArray("SYST:LOCK:REL") << Units {command(Command::SystemLockRelease)};
    QTest::newRow("system:lock:release")
        << QByteArray("system:lock:release") << Units {command(Command::SystemLockRelease)};
    QTest::newRow("SYST:LOCK:OWN?")
        << QByteArray("SYST:LOCK:OWN?") << Units {command(Command::SystemLockOwnerQuery)};
    QTest::newRow("SYSTem:LOCK:OWNer?")
        << QByteArray("SYSTem:LOCK:OWNer?") << Units {command(Command::SystemLockOwnerQuery)};
    QTest::newRow("SYST:VERS?") << QByteArray("SYST:VERS?")
                                << Units {command(Command::SystemVersionQuery)};
    QTest::newRow("SYSTEM:VERSION?")
        << QByteArray("SYSTEM:VERSION?") << Units {command(Command::SystemVersionQuery)};
    QTest::newRow("SYST:LOC") << QByteArray("SYST:LOC") << Units {command(Command::SystemLocal)};
    QTest::newRow("SYSTEM:LOCAL") << QByteArray("SYSTEM:LOCAL")
                                  << Units {command(Command::SystemLocal)};
    QTest::newRow("SYST:RWL") << QByteArray("SYST:RWL") << Units {command(Command::SystemRwLock)};
    QTest::newRow("SYSTem:RWLock")
        << QByteArray("SYSTem:RWLock") << Units {command(Command::SystemRwLock)};
    QTest::newRow("STAT:OPER?") << QByteArray("STAT:OPER?")
                                << Units {command(Command::StatusOperationEventQuery)};
    QTest::newRow("STAT:QUES?") << QByteArray("STAT:QUES?")
                                << Units {command(Command::StatusQuestionableEventQuery)};
    QTest::newRow("STATUS:QUESTIONABLE:EVENT?")
        << QByteArray("STATUS:QUESTIONABLE:EVENT?")
        << Units {command(Command::StatusQuestionableEventQuery)};
    QTest::newRow("STAT:OPER:COND?")
        << QByteArray("STAT:OPER:COND?") << Units {command(Command::StatusOperationConditionQuery)};
    QTest::newRow("STATUS:OPERATION:CONDITION?")
        << QByteArray("STATUS:OPERATION:CONDITION?")
        << Units {command(Command::StatusOperationConditionQuery)};
    QTest::newRow("STAT:OPER:ENAB") << QByteArray("STAT:OPER:ENAB 65535")
                                    << Units {number(Command::StatusOperationEnable, 65535)};
    QTest::newRow("status:operation:enable") << QByteArray("status:operation:enable 0")
                                             << Units {number(Command::StatusOperationEnable, 0)};
    QTest::newRow("STAT:OPER:ENAB?")
        << QByteArray("STAT:OPER:ENAB?") << Units {command(Command::StatusOperationEnableQuery)};
    QTest::newRow("STATus:OPERation:ENABle?")
        << QByteArray("STATus:OPERation:ENABle?")
        << Units {command(Command::StatusOperationEnableQuery)};
    QTest::newRow("STAT:QUES:COND?") << QByteArray("STAT:QUES:COND?")
                                     << Units {command(Command::StatusQuestionableConditionQuery)};
    QTest::newRow("STATUS:QUESTIONABLE:CONDITION?")
        << QByteArray("status:questionable:condition?")
        << Units {command(Command::StatusQuestionableConditionQuery)};
    QTest::newRow("STAT:QUES:ENAB") << QByteArray("STAT:QUES:ENAB 512")
                                    << Units {number(Command::StatusQuestionableEnable, 512)};
    QTest::newRow("STATUS:QUESTIONABLE:ENABLE")
        << QByteArray("STATUS:QUESTIONABLE:ENABLE 1.28E2")
        << Units {number(Command::StatusQuestionableEnable, 128)};
    QTest::newRow("STAT:QUES:ENAB?")
        << QByteArray("STAT:QUES:ENAB?") << Units {command(Command::StatusQuestionableEnableQuery)};
    QTest::newRow("STATUS:QUESTIONABLE:ENABLE?")
        << QByteArray("STATUS:QUESTIONABLE:ENABLE?")
        << Units {command(Command::StatusQuestionableEnableQuery)};
    QTest::newRow("STAT:PRES") << QByteArray("STAT:PRES") << Units {command(Command::StatusPreset)};
    QTest::newRow("STATUS:PRESET")
        << QByteArray("status:preset") << Units {command(Command::StatusPreset)};

    QTest::newRow("ROUT:SCAN") << QByteArray("ROUT:SCAN (@2,1)") << Units {scan({{2}, {1}})};
    QTest::newRow("route:scan") << QByteArray("route:scan (@5)") << Units {scan({{5}})};
    QTest::newRow("ROUT:SCAN?") << QByteArray("ROUT:SCAN?")
                                << Units {command(Command::RouteScanQuery)};
    QTest::newRow("ROUT:SCAN:STAT?")
        << QByteArray("ROUT:SCAN:STAT?") << Units {command(Command::RouteScanStateQuery)};
    QTest::newRow("ROUTE:SCAN:STATE?")
        << QByteArray("ROUTE:SCAN:STATE?") << Units {command(Command::RouteScanStateQuery)};
    QTest::newRow("ROUT:CHAN:DEL")
        << QByteArray("ROUT:CHAN:DEL 0.005,(@1:2)") << Units {delay(5, {1, 2})};
    QTest::newRow("ROUTE:CHANNEL:DELAY")
        << QByteArray("ROUTE:CHANNEL:DELAY 1,(@32)") << Units {delay(1000, {32})};
    QTest::newRow("ROUT:CHAN:DEL?") << QByteArray("ROUT:CHAN:DEL? (@3,4)")
                                    << Units {channels(Command::RouteChannelDelayQuery, {3, 4})};
    QTest::newRow("TRIG:SOUR") << QByteArray("TRIG:SOUR BUS") << Units {source(TriggerSource::Bus)};
    QTest::newRow("TRIGGER:SOURCE")
        << QByteArray("TRIGGER:SOURCE TIMER") << Units {source(TriggerSource::Timer)};
    QTest::newRow("TRIG:SOUR?") << QByteArray("TRIG:SOUR?")
                                << Units {command(Command::TriggerSourceQuery)};
    QTest::newRow("TRIG:TIM") << QByteArray("TRIG:TIM 0.01")
                              << Units {duration(Command::TriggerTimer, 10)};
    QTest::newRow("trigger:timer")
        << QByteArray("trigger:timer 3600") << Units {duration(Command::TriggerTimer, 3'600'000)};
    QTest::newRow("TRIG:TIM?") << QByteArray("TRIG:TIM?")
                               << Units {command(Command::TriggerTimerQuery)};
    QTest::newRow("TRIG:COUN") << QByteArray("TRIG:COUN 3")
                               << Units {number(Command::TriggerCount, 3)};
    QTest::newRow("TRIGGER:COUNT")
        << QByteArray("TRIGGER:COUNT 1000000") << Units {number(Command::TriggerCount, 1'000'000)};
    QTest::newRow("TRIG:COUN?") << QByteArray("TRIG:COUN?")
                                << Units {command(Command::TriggerCountQuery)};
    QTest::newRow("INIT") << QByteArray("INIT") << Units {command(Command::Initiate)};
    QTest::newRow("INITIATE") << QByteArray("initiate") << Units {command(Command::Initiate)};
    QTest::newRow("INIT:IMM") << QByteArray("INIT:IMM") << Units {command(Command::Initiate)};
    QTest::newRow("INITiate:IMMediate")
        << QByteArray("INITiate:IMMediate") << Units {command(Command::Initiate)};
    QTest::newRow("ABOR") << QByteArray("ABOR") << Units {command(Command::Abort)};
    QTest::newRow("ABORT") << QByteArray("Abort") << Units {command(Command::Abort)};
    QTest::newRow("ROUT:SEQ:DEF") << QByteArray(R"x(ROUT:SEQ:DEF "warm","ROUT:CLOS (@1)")x")
                                  << Units {sequence("warm", "ROUT:CLOS (@1)")};
    QTest::newRow("ROUT:SEQ:DEF?") << QByteArray("ROUT:SEQ:DEF? 'warm'")
                                   << Units {named(Command::RouteSequenceDefineQuery, "warm")};
    QTest::newRow("ROUTE:SEQUENCE:CATALOG?") << QByteArray("ROUTE:SEQUENCE:CATALOG?")
                                             << Units {command(Command::RouteSequenceCatalogQuery)};
    QTest::newRow("ROUT:SEQ:CAT?")
        << QByteArray("ROUT:SEQ:CAT?") << Units {command(Command::RouteSequenceCatalogQuery)};
    QTest::newRow("ROUT:SEQ:DEL") << QByteArray(R"(ROUT:SEQ:DEL "warm")")
                                  << Units {named(Command::RouteSequenceDelete, "warm")};
    QTest::newRow("ROUT:SEQ:DEL:ALL")
        << QByteArray("ROUT:SEQ:DEL:ALL") << Units {command(Command::RouteSequenceDeleteAll)};
    QTest::newRow("ROUTE:SEQUENCE:DELETE:ALL") << QByteArray("ROUTE:SEQUENCE:DELETE:ALL")
                                               << Units {command(Command::RouteSequenceDeleteAll)};
    QTest::newRow("ROUT:SEQ:TRIG") << QByteArray(R"(ROUT:SEQ:TRIG "warm")")
                                   << Units {named(Command::RouteSequenceTrigger, "warm")};
    QTest::newRow("ROUT:SEQ:TRIG:IMM") << QByteArray(R"(ROUTe:SEQuence:TRIGger:IMMediate "warm")")
                                       << Units {named(Command::RouteSequenceTrigger, "warm")};
    QTest::newRow("ROUT:SEQ:BUSY?")
        << QByteArray("ROUT:SEQ:BUSY?") << Units {command(Command::RouteSequenceBusyQuery)};
    QTest::newRow("ROUT:SEQ:WAIT")
        << QByteArray("ROUT:SEQ:WAIT 100") << Units {number(Command::RouteSequenceWait, 100)};
    QTest::newRow("ROUTE:SEQUENCE:WAIT") << QByteArray("ROUTE:SEQUENCE:WAIT 60000")
                                         << Units {number(Command::RouteSequenceWait, 60'000)};

    const Units undefined {error(sfp::scpi::UndefinedHeader)};
    QTest::newRow("INIT?") << QByteArray("INIT?") << undefined;
    QTest::newRow("ABOR?") << QByteArray("ABOR?") << undefined;
    QTest::newRow("SCAN:STAT as a command") << QByteArray("ROUT:SCAN:STAT") << undefined;
    QTest::newRow("TRIG alone") << QByteArray("TRIG") << undefined;
    QTest::newRow("SEQ:CAT as a command") << QByteArray("ROUT:SEQ:CAT") << undefined;
    QTest::newRow("SEQ:BUSY as a command") << QByteArray("ROUT:SEQ:BUSY") << undefined;
    QTest::newRow("SEQ:WAIT?") << QByteArray("ROUT:SEQ:WAIT?") << undefined;
    QTest::newRow("SEQ:TRIG?") << QByteArray("ROUT:SEQ:TRIG? \"a\"") << undefined;
    QTest::newRow("DEL:ALL?") << QByteArray("ROUT:SEQ:DEL:ALL?") << undefined;
    QTest::newRow("SEQ cut") << QByteArray("ROUT:SEQU:CAT?") << undefined;
    QTest::newRow("IMMediate without INITiate") << QByteArray("IMM") << undefined;
    QTest::newRow("DELay under ROUTe") << QByteArray("ROUT:DEL? (@1)") << undefined;
    QTest::newRow("suffix on SCAN")
        << QByteArray("ROUT:SCAN2 (@1)") << Units {error(sfp::scpi::HeaderSuffixOutOfRange)};
    QTest::newRow("suffix on INITiate")
        << QByteArray("INIT1") << Units {error(sfp::scpi::HeaderSuffixOutOfRange)};
}

void tst_ScpiParser::channelLists_data()
{
    addColumns();
    QTest::newRow("singles and a range")
        << QByteArray("ROUT:CLOS (@1,3,5:8)")
        << Units {channels(Command::RouteClose, {1, 3, 5, 6, 7, 8})};
    QTest::newRow("downward range")
        << QByteArray("ROUT:CLOS (@8:5)") << Units {channels(Command::RouteClose, {8, 7, 6, 5})};
    QTest::newRow("list order kept") << QByteArray("ROUT:OPEN (@9,2:3,1,32:31)")
                                     << Units {channels(Command::RouteOpen, {9, 2, 3, 1, 32, 31})};
    QTest::newRow("repeats kept") << QByteArray("ROUT:OPEN (@4,4)")
                                  << Units {channels(Command::RouteOpen, {4, 4})};
    QTest::newRow("one-channel range")
        << QByteArray("ROUT:OPEN (@6:6)") << Units {channels(Command::RouteOpen, {6})};
    QTest::newRow("space between ( and @")
        << QByteArray("ROUT:CLOS ( @1)") << Units {error(sfp::scpi::DataTypeError)};
    QTest::newRow("spaces after (@") << QByteArray("ROUT:CLOS (@ 1 , 3 : 4 ,\t10 )")
                                     << Units {channels(Command::RouteClose, {1, 3, 4, 10})};
    QTest::newRow("whole card") << QByteArray("ROUT:CLOS? (@1:32)")
                                << Units {channels(Command::RouteCloseQuery,
                                                   {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                                    12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22,
                                                    23, 24, 25, 26, 27, 28, 29, 30, 31, 32})};
    QTest::newRow("NRf channel") << QByteArray("ROUT:CLOS (@2.0,3E0,+4,0.5E1)")
                                 << Units {channels(Command::RouteClose, {2, 3, 4, 5})};

    const Units outOfRange {error(sfp::scpi::DataOutOfRange)};
    QTest::newRow("channel 0") << QByteArray("ROUT:CLOS (@0)") << outOfRange;
    QTest::newRow("channel 33") << QByteArray("ROUT:CLOS (@33)") << outOfRange;
    QTest::newRow("33 among good ones") << QByteArray("ROUT:CLOS (@1,33,2)") << outOfRange;
    QTest::newRow("range end 33") << QByteArray("ROUT:OPEN (@30:33)") << outOfRange;
    QTest::newRow("range start 0") << QByteArray("ROUT:OPEN (@0:3)") << outOfRange;
    QTest::newRow("negative") << QByteArray("ROUT:OPEN? (@-1)") << outOfRange;
    QTest::newRow("huge") << QByteArray("ROUT:CLOS (@99999999999999999999)") << outOfRange;
    QTest::newRow("huge by exponent") << QByteArray("ROUT:CLOS (@1E10)") << outOfRange;
    QTest::newRow("fraction") << QByteArray("ROUT:CLOS (@1.5)")
                              << Units {error(sfp::scpi::IllegalParameterValue)};

    const Units syntax {error(sfp::scpi::SyntaxError)};
    QTest::newRow("empty list") << QByteArray("ROUT:CLOS (@)") << syntax;
    QTest::newRow("unclosed") << QByteArray("ROUT:CLOS (@1") << syntax;
    QTest::newRow("line ends after (@") << QByteArray("ROUT:CLOS (@") << syntax;
    QTest::newRow("trailing comma") << QByteArray("ROUT:CLOS (@1,)") << syntax;
    QTest::newRow("open range") << QByteArray("ROUT:CLOS (@1:)") << syntax;
    QTest::newRow("open range at the line's end") << QByteArray("ROUT:CLOS (@2,1:") << syntax;
    QTest::newRow("open range before the next command")
        << QByteArray("ROUT:CLOS (@2,1: ;*RST") << syntax;
    QTest::newRow("two colons") << QByteArray("ROUT:CLOS (@1:2:3)") << syntax;
    QTest::newRow("dimension") << QByteArray("ROUT:CLOS (@1!2)") << syntax;
    QTest::newRow("word") << QByteArray("ROUT:CLOS (@a)") << syntax;
    QTest::newRow("semicolon inside") << QByteArray("ROUT:CLOS (@1;2)") << syntax;
    QTest::newRow("glued to next") << QByteArray("ROUT:CLOS (@1)x") << syntax;

    QTest::newRow("missing") << QByteArray("ROUT:CLOS")
                             << Units {error(sfp::scpi::MissingParameter)};
    QTest::newRow("CLOS:EXCL missing")
        << QByteArray("ROUT:CLOS:EXCL") << Units {error(sfp::scpi::MissingParameter)};
    QTest::newRow("CLOS:EXCL missing before ;")
        << QByteArray("ROUT:CLOS:EXCL ;*RST") << Units {error(sfp::scpi::MissingParameter)};
    QTest::newRow("CLOS:EXCL channel 33")
        << QByteArray("ROUT:CLOS:EXCL (@1,33)") << Units {error(sfp::scpi::DataOutOfRange)};
    QTest::newRow("CLOS:EXCL empty list")
        << QByteArray("ROUT:CLOS:EXCL (@)") << Units {error(sfp::scpi::SyntaxError)};
    QTest::newRow("CLOS:EXCL number")
        << QByteArray("ROUT:CLOS:EXCL 3") << Units {error(sfp::scpi::DataTypeError)};
    QTest::newRow("CLOS:EXCL word")
        << QByteArray("ROUT:CLOS:EXCL ON") << Units {error(sfp::scpi::DataTypeError)};
    QTest::newRow("CLOS:STAT? with a list")
        << QByteArray("ROUT:CLOS:STAT? (@1)") << Units {error(sfp::scpi::ParameterNotAllowed)};
    QTest::newRow("list query, channel 0")
        << QByteArray("ROUT:OPEN? (@0)") << Units {error(sfp::scpi::DataOutOfRange)};
    QTest::newRow("list query, empty list")
        << QByteArray("ROUT:CLOS? (@)") << Units {error(sfp::scpi::SyntaxError)};
    QTest::newRow("list query, number")
        << QByteArray("ROUT:CLOS? 5") << Units {error(sfp::scpi::DataTypeError)};
    QTest::newRow("list query, two lists")
        << QByteArray("ROUT:OPEN? (@1),(@2)") << Units {error(sfp::scpi::ParameterNotAllowed)};
    QTest::newRow("list query, glued")
        << QByteArray("ROUT:CLOS?(@1)") << Units {error(sfp::scpi::SyntaxError)};
    QTest::newRow("number instead")
        << QByteArray("ROUT:CLOS 5") << Units {error(sfp::scpi::DataTypeError)};
    QTest::newRow("word instead") << QByteArray("ROUT:CLOS ALL")
                                  << Units {error(sfp::scpi::DataTypeError)};
    QTest::newRow("two lists") << QByteArray("ROUT:CLOS (@1),(@2)")
                               << Units {error(sfp::scpi::ParameterNotAllowed)};

    QTest::newRow("scan: channels, ranges and groups")
        << QByteArray("ROUT:SCAN (@1,3:5,(7,9),(10:12))")
        << Units {scan({{1}, {3}, {4}, {5}, {7, 9}, {10, 11, 12}})};
    QTest::newRow("scan: downward range, group order kept")
        << QByteArray("ROUT:SCAN (@4:2,(9,7),(3:1,8))")
        << Units {scan({{4}, {3}, {2}, {9, 7}, {3, 2, 1, 8}})};
    QTest::newRow("scan: a channel twice in the list")
        << QByteArray("ROUT:SCAN (@1,1,(1,2),(1,2))") << Units {scan({{1}, {1}, {1, 2}, {1, 2}})};
    QTest::newRow("scan: group of one") << QByteArray("ROUT:SCAN (@(5))") << Units {scan({{5}})};
    QTest::newRow("scan: white space") << QByteArray("ROUT:SCAN (@ 1 , ( 2 , 3 : 4 ) , 5 )")
                                       << Units {scan({{1}, {2, 3, 4}, {5}})};
    QTest::newRow("scan: empty clears") << QByteArray("ROUT:SCAN (@)") << Units {scan({})};
    QTest::newRow("scan: empty, blank")
        << QByteArray("ROUT:SCAN (@ );*OPC") << Units {scan({}), command(Command::Opc)};
    QTest::newRow("scan: whole card in one step") << QByteArray("ROUT:SCAN (@(1:32))") << [] {
        QList<int> all;
        for (int channel = 1; channel <= 32; ++channel)
            all.append(channel);
        return Units {scan({all})};
    }();

    const Units illegal {error(sfp::scpi::IllegalParameterValue)};
    QTest::newRow("scan: channel twice in a group")
        << QByteArray("ROUT:SCAN (@(1,2,1))") << illegal;
    QTest::newRow("scan: range overlapping in a group")
        << QByteArray("ROUT:SCAN (@(1:3,2))") << illegal;
    QTest::newRow("scan: group's ranges meet") << QByteArray("ROUT:SCAN (@(1:3,5:3))") << illegal;
    QTest::newRow("scan: empty group") << QByteArray("ROUT:SCAN (@1,())") << illegal;
    QTest::newRow("scan: blank group") << QByteArray("ROUT:SCAN (@( ))") << illegal;
    QTest::newRow("scan: nested group") << QByteArray("ROUT:SCAN (@(1,(2)))") << illegal;
    QTest::newRow("scan: group opening a group") << QByteArray("ROUT:SCAN (@((2)))") << illegal;
    QTest::newRow("scan: fraction") << QByteArray("ROUT:SCAN (@1.5)") << illegal;
    QTest::newRow("scan: channel 33") << QByteArray("ROUT:SCAN (@1,33)") << outOfRange;
    QTest::newRow("scan: channel 0 in a group") << QByteArray("ROUT:SCAN (@(2,0))") << outOfRange;
    QTest::newRow("scan: range to 40 in a group")
        << QByteArray("ROUT:SCAN (@1,(30:40))") << outOfRange;
    QTest::newRow("scan: unclosed") << QByteArray("ROUT:SCAN (@1,2") << syntax;
    QTest::newRow("scan: unclosed group") << QByteArray("ROUT:SCAN (@1,(2,3)") << syntax;
    QTest::newRow("scan: group left open") << QByteArray("ROUT:SCAN (@(2,3") << syntax;
    QTest::newRow("scan: trailing comma in a group") << QByteArray("ROUT:SCAN (@(2,))") << syntax;
    QTest::newRow("scan: trailing comma") << QByteArray("ROUT:SCAN (@2,)") << syntax;
    QTest::newRow("scan: leading comma") << QByteArray("ROUT:SCAN (@,2)") << syntax;
    QTest::newRow("scan: list in a group") << QByteArray("ROUT:SCAN (@(@2))") << syntax;
    QTest::newRow("scan: word") << QByteArray("ROUT:SCAN (@ALL)") << syntax;
    QTest::newRow("scan: group glued to a channel") << QByteArray("ROUT:SCAN (@(1,2)3)") << syntax;
    QTest::newRow("scan: missing")
        << QByteArray("ROUT:SCAN") << Units {error(sfp::scpi::MissingParameter)};
    QTest::newRow("scan: number") << QByteArray("ROUT:SCAN 1")
                                  << Units {error(sfp::scpi::DataTypeError)};
    QTest::newRow("scan: expression")
        << QByteArray("ROUT:SCAN (1,2)") << Units {error(sfp::scpi::DataTypeError)};
    QTest::newRow("scan: two lists")
        << QByteArray("ROUT:SCAN (@1),(@2)") << Units {error(sfp::scpi::ParameterNotAllowed)};
    QTest::newRow("scan query with a list")
        << QByteArray("ROUT:SCAN? (@1)") << Units {error(sfp::scpi::ParameterNotAllowed)};
    QTest::newRow("scan state with a list")
        << QByteArray("ROUT:SCAN:STAT? (@1)") << Units {error(sfp::scpi::ParameterNotAllowed)};

    const Units tooMuch {error(sfp::scpi::TooMuchData)};
    QTest::newRow("scan: 1000 steps")
        << QByteArray("ROUT:SCAN (@") + QByteArray("1:10,").repeated(99) + QByteArray("1:10)")
        << [] {
               Steps steps;
               for (int sweep = 0; sweep < 100; ++sweep) {
                   for (int channel = 1; channel <= 10; ++channel)
                       steps.append(QList<int> {channel});
               }
               return Units {scan(steps)};
           }();
    QTest::newRow("scan: 1001 steps")
        << QByteArray("ROUT:SCAN (@") + QByteArray("1:10,").repeated(100) + QByteArray("1)")
        << tooMuch;
    QTest::newRow("scan: 1001 groups")
        << QByteArray("ROUT:SCAN (@") + QByteArray("(1,2),").repeated(1000) + QByteArray("(3))")
        << tooMuch;
    QTest::newRow("scan: 1001 steps, the last a range")
        << QByteArray("ROUT:SCAN (@") + QByteArray("(1:32),").repeated(999) + QByteArray("1:2)")
        << tooMuch;

    QTest::newRow("delay: list of one")
        << QByteArray("ROUT:CHAN:DEL 2,(@7)") << Units {delay(2000, {7})};
    QTest::newRow("delay: spaces around the comma")
        << QByteArray("ROUT:CHAN:DEL 0.1 , (@1,3)") << Units {delay(100, {1, 3})};
    QTest::newRow("delay: no list")
        << QByteArray("ROUT:CHAN:DEL 1") << Units {error(sfp::scpi::MissingParameter)};
    QTest::newRow("delay: no list after the comma")
        << QByteArray("ROUT:CHAN:DEL 1, ;*OPC") << Units {error(sfp::scpi::MissingParameter)};
    QTest::newRow("delay: no comma") << QByteArray("ROUT:CHAN:DEL 1 (@1)") << syntax;
    QTest::newRow("delay: a number for the list")
        << QByteArray("ROUT:CHAN:DEL 1,2") << Units {error(sfp::scpi::DataTypeError)};
    QTest::newRow("delay: a list for the seconds")
        << QByteArray("ROUT:CHAN:DEL (@1),1") << Units {error(sfp::scpi::DataTypeError)};
    QTest::newRow("delay: a string for the seconds")
        << QByteArray("ROUT:CHAN:DEL \"1\",(@1)") << Units {error(sfp::scpi::DataTypeError)};
    QTest::newRow("delay: channel 33") << QByteArray("ROUT:CHAN:DEL 1,(@33)") << outOfRange;
    QTest::newRow("delay: empty list") << QByteArray("ROUT:CHAN:DEL 1,(@)") << syntax;
    QTest::newRow("delay: a group") << QByteArray("ROUT:CHAN:DEL 1,(@(1,2))") << syntax;
    QTest::newRow("delay: a third parameter")
        << QByteArray("ROUT:CHAN:DEL 1,(@1),2") << Units {error(sfp::scpi::ParameterNotAllowed)};
    QTest::newRow("delay query without a list")
        << QByteArray("ROUT:CHAN:DEL?") << Units {error(sfp::scpi::MissingParameter)};
    QTest::newRow("delay query with seconds")
        << QByteArray("ROUT:CHAN:DEL? 1,(@1)") << Units {error(sfp::scpi::DataTypeError)};
}

void tst_ScpiParser::numbers_data()
{
    addColumns();
    QTest::newRow("zero") << QByteArray("*ESE 0") << Units {number(Command::Ese, 0)};
    QTest::newRow("maximum") << QByteArray("*ESE 255") << Units {number(Command::Ese, 255)};
    QTest::newRow("plus sign") << QByteArray("*ESE +7") << Units {number(Command::Ese, 7)};
    QTest::newRow("minus zero") << QByteArray("*ESE -0") << Units {number(Command::Ese, 0)};
    QTest::newRow("leading zeros")
        << QByteArray("*SRE 00000000000000000000007") << Units {number(Command::Sre, 7)};
    QTest::newRow("point zero") << QByteArray("*ESE 5.0") << Units {number(Command::Ese, 5)};
    QTest::newRow("trailing point") << QByteArray("*ESE 5.") << Units {number(Command::Ese, 5)};
    QTest::newRow("exponent") << QByteArray("*ESE 5E0") << Units {number(Command::Ese, 5)};
    QTest::newRow("small e") << QByteArray("*ESE 2e2") << Units {number(Command::Ese, 200)};
    QTest::newRow("fraction times ten")
        << QByteArray("*ESE 0.5E1") << Units {number(Command::Ese, 5)};
    QTest::newRow("negative exponent")
        << QByteArray("*ESE 50e-1") << Units {number(Command::Ese, 5)};
    QTest::newRow("plus exponent")
        << QByteArray("*SRE 1.28E+2") << Units {number(Command::Sre, 128)};
    QTest::newRow("zero, huge exponent")
        << QByteArray("*ESE 0E999999999999999999") << Units {number(Command::Ese, 0)};
    QTest::newRow("*SAV 0") << QByteArray("*SAV 0") << Units {number(Command::Sav, 0)};
    QTest::newRow("*RCL 9") << QByteArray("*RCL 9") << Units {number(Command::Rcl, 9)};

    const Units illegal {error(sfp::scpi::IllegalParameterValue)};
    QTest::newRow("fraction") << QByteArray("*ESE 1.5") << illegal;
    QTest::newRow("point five") << QByteArray("*ESE .5") << illegal;
    QTest::newRow("fraction by exponent") << QByteArray("*ESE 5E-1") << illegal;
    QTest::newRow("tiny") << QByteArray("*ESE 1E-999999999999999999") << illegal;
    QTest::newRow("fraction out of range") << QByteArray("*ESE 300.5") << illegal;

    const Units outOfRange {error(sfp::scpi::DataOutOfRange)};
    QTest::newRow("256") << QByteArray("*ESE 256") << outOfRange;
    QTest::newRow("-1") << QByteArray("*SRE -1") << outOfRange;
    QTest::newRow("*SAV 10") << QByteArray("*SAV 10") << outOfRange;
    QTest::newRow("*RCL -1") << QByteArray("*RCL -1") << outOfRange;
    QTest::newRow("2.56E2") << QByteArray("*ESE 2.56E2") << outOfRange;
    QTest::newRow("beyond int") << QByteArray("*ESE 4294967296") << outOfRange;
    QTest::newRow("beyond int64") << QByteArray("*ESE 99999999999999999999999") << outOfRange;
    QTest::newRow("huge exponent") << QByteArray("*ESE 1E999999999999999999") << outOfRange;

    const Units syntax {error(sfp::scpi::SyntaxError)};
    QTest::newRow("sign only") << QByteArray("*ESE +") << syntax;
    QTest::newRow("point only") << QByteArray("*ESE .") << syntax;
    QTest::newRow("exponent without digits") << QByteArray("*ESE 5E") << syntax;
    QTest::newRow("unit suffix") << QByteArray("*ESE 5V") << syntax;
    QTest::newRow("two numbers") << QByteArray("*ESE 5 6") << syntax;
    QTest::newRow("two signs") << QByteArray("*ESE +-5") << syntax;

    // Durations in seconds, rounded to the millisecond.
    const auto timer
        = [](int milliseconds) { return Units {duration(Command::TriggerTimer, milliseconds)}; };
    QTest::newRow("timer 5E-3") << QByteArray("TRIG:TIM 5E-3") << timer(5);
    QTest::newRow("timer 0.001") << QByteArray("TRIG:TIM 0.001") << timer(1);
    QTest::newRow("timer 1") << QByteArray("TRIG:TIM 1") << timer(1000);
    QTest::newRow("timer 1.5") << QByteArray("TRIG:TIM 1.5") << timer(1500);
    QTest::newRow("timer .25") << QByteArray("TRIG:TIM .25") << timer(250);
    QTest::newRow("timer 0.0125 rounds up") << QByteArray("TRIG:TIM 0.0125") << timer(13);
    QTest::newRow("timer 0.01249 rounds down") << QByteArray("TRIG:TIM 0.01249") << timer(12);
    QTest::newRow("timer 0.0005 rounds to 1 ms") << QByteArray("TRIG:TIM 0.0005") << timer(1);
    QTest::newRow("timer 1.9996 rounds up") << QByteArray("TRIG:TIM 1.9996") << timer(2000);
    QTest::newRow("timer 0.36E4") << QByteArray("TRIG:TIM 0.36E4") << timer(3'600'000);
    QTest::newRow("timer 3600.0004") << QByteArray("TRIG:TIM 3600.0004") << timer(3'600'000);
    QTest::newRow("timer 2000E-3") << QByteArray("TRIG:TIM 2000E-3") << timer(2000);
    QTest::newRow("timer leading zeros")
        << QByteArray("TRIG:TIM 000000000000000000000.5") << timer(500);
    QTest::newRow("timer MIN") << QByteArray("TRIG:TIM MIN") << timer(1);
    QTest::newRow("timer maximum") << QByteArray("TRIG:TIM maximum") << timer(3'600'000);
    QTest::newRow("delay 0") << QByteArray("ROUT:CHAN:DEL 0,(@1)") << Units {delay(0, {1})};
    QTest::newRow("delay -0.0004 rounds to 0")
        << QByteArray("ROUT:CHAN:DEL -0.0004,(@1)") << Units {delay(0, {1})};
    QTest::newRow("delay 60") << QByteArray("ROUT:CHAN:DEL 60,(@1)") << Units {delay(60'000, {1})};
    QTest::newRow("delay MIN") << QByteArray("ROUT:CHAN:DEL MIN,(@1)") << Units {delay(0, {1})};
    QTest::newRow("delay MAXIMUM")
        << QByteArray("ROUT:CHAN:DEL MAXIMUM,(@2)") << Units {delay(60'000, {2})};
    QTest::newRow("timer 0.0004 rounds to 0") << QByteArray("TRIG:TIM 0.0004") << outOfRange;
    QTest::newRow("timer 0") << QByteArray("TRIG:TIM 0") << outOfRange;
    QTest::newRow("timer 3600.0005") << QByteArray("TRIG:TIM 3600.0005") << outOfRange;
    QTest::newRow("timer -1") << QByteArray("TRIG:TIM -1") << outOfRange;
    QTest::newRow("timer huge") << QByteArray("TRIG:TIM 1E999999999999999999") << outOfRange;
    QTest::newRow("timer beyond int") << QByteArray("TRIG:TIM 99999999999999999999") << outOfRange;
    QTest::newRow("timer tiny") << QByteArray("TRIG:TIM 9E-999999999999999999") << outOfRange;
    QTest::newRow("delay 60.0005") << QByteArray("ROUT:CHAN:DEL 60.0005,(@1)") << outOfRange;
    QTest::newRow("delay -0.001") << QByteArray("ROUT:CHAN:DEL -0.001,(@1)") << outOfRange;
    QTest::newRow("timer MINI") << QByteArray("TRIG:TIM MINI") << illegal;
    QTest::newRow("timer INF") << QByteArray("TRIG:TIM INF") << illegal;
    QTest::newRow("delay DEF") << QByteArray("ROUT:CHAN:DEL DEF,(@1)") << illegal;
    QTest::newRow("timer with a unit") << QByteArray("TRIG:TIM 5MS") << syntax;
    QTest::newRow("timer sign only") << QByteArray("TRIG:TIM -") << syntax;
    QTest::newRow("timer missing")
        << QByteArray("TRIG:TIM") << Units {error(sfp::scpi::MissingParameter)};
    QTest::newRow("timer list") << QByteArray("TRIG:TIM (@1)")
                                << Units {error(sfp::scpi::DataTypeError)};
    QTest::newRow("timer string") << QByteArray("TRIG:TIM '1'")
                                  << Units {error(sfp::scpi::DataTypeError)};

    // Counts of sweeps, and the wait inside a sequence.
    QTest::newRow("count 1") << QByteArray("TRIG:COUN 1")
                             << Units {number(Command::TriggerCount, 1)};
    QTest::newRow("count 1E6") << QByteArray("TRIG:COUN 1E6")
                               << Units {number(Command::TriggerCount, 1'000'000)};
    QTest::newRow("count INF") << QByteArray("TRIG:COUN INF")
                               << Units {number(Command::TriggerCount, 0)};
    QTest::newRow("count infinity")
        << QByteArray("TRIG:COUN infinity") << Units {number(Command::TriggerCount, 0)};
    QTest::newRow("count MIN") << QByteArray("TRIG:COUN MIN")
                               << Units {number(Command::TriggerCount, 1)};
    QTest::newRow("count MAX") << QByteArray("TRIG:COUN MAX")
                               << Units {number(Command::TriggerCount, 1'000'000)};
    QTest::newRow("count 0") << QByteArray("TRIG:COUN 0") << outOfRange;
    QTest::newRow("count 1000001") << QByteArray("TRIG:COUN 1000001") << outOfRange;
    QTest::newRow("count -1") << QByteArray("TRIG:COUN -1") << outOfRange;
    QTest::newRow("count 2.5") << QByteArray("TRIG:COUN 2.5") << illegal;
    QTest::newRow("count INFIN") << QByteArray("TRIG:COUN INFIN") << illegal;
    QTest::newRow("count ON") << QByteArray("TRIG:COUN ON") << illegal;
    QTest::newRow("count list") << QByteArray("TRIG:COUN (@1)")
                                << Units {error(sfp::scpi::DataTypeError)};
    QTest::newRow("wait 0") << QByteArray("ROUT:SEQ:WAIT 0")
                            << Units {number(Command::RouteSequenceWait, 0)};
    QTest::newRow("wait 60001") << QByteArray("ROUT:SEQ:WAIT 60001") << outOfRange;
    QTest::newRow("wait fraction") << QByteArray("ROUT:SEQ:WAIT 0.5") << illegal;
    QTest::newRow("wait MAX") << QByteArray("ROUT:SEQ:WAIT MAX")
                              << Units {error(sfp::scpi::DataTypeError)};
}

void tst_ScpiParser::booleansAndModes_data()
{
    addColumns();
    QTest::newRow("ON") << QByteArray("ROUT:EXCL ON") << Units {exclusive(true)};
    QTest::newRow("on") << QByteArray("ROUT:EXCL on") << Units {exclusive(true)};
    QTest::newRow("OFF") << QByteArray("ROUT:EXCL OFF") << Units {exclusive(false)};
    QTest::newRow("Off") << QByteArray("ROUTE:EXCLUSIVE Off") << Units {exclusive(false)};
    QTest::newRow("1") << QByteArray("ROUT:EXCL 1") << Units {exclusive(true)};
    QTest::newRow("0") << QByteArray("ROUT:EXCL 0") << Units {exclusive(false)};
    QTest::newRow("1.0") << QByteArray("ROUT:EXCL 1.0") << Units {exclusive(true)};
    QTest::newRow("ON then OFF") << QByteArray("ROUT:EXCL ON;EXCL OFF")
                                 << Units {exclusive(true), exclusive(false)};
    // A number is rounded, and anything but 0 is ON.
    QTest::newRow("2") << QByteArray("ROUT:EXCL 2") << Units {exclusive(true)};
    QTest::newRow("-1") << QByteArray("ROUT:EXCL -1") << Units {exclusive(true)};
    QTest::newRow("0.5") << QByteArray("ROUT:EXCL 0.5") << Units {exclusive(true)};
    QTest::newRow(".5") << QByteArray("ROUT:EXCL .5") << Units {exclusive(true)};
    QTest::newRow("-0.5") << QByteArray("ROUT:EXCL -0.5") << Units {exclusive(true)};
    QTest::newRow("0.4") << QByteArray("ROUT:EXCL 0.4") << Units {exclusive(false)};
    QTest::newRow("0.49999") << QByteArray("ROUT:EXCL 0.49999") << Units {exclusive(false)};
    QTest::newRow("-0.4") << QByteArray("ROUT:EXCL -0.4") << Units {exclusive(false)};
    QTest::newRow("-0") << QByteArray("ROUT:EXCL -0") << Units {exclusive(false)};
    QTest::newRow("0.0") << QByteArray("ROUT:EXCL 0.0") << Units {exclusive(false)};
    QTest::newRow("0.9") << QByteArray("ROUT:EXCL 0.9") << Units {exclusive(true)};
    QTest::newRow("1.5") << QByteArray("ROUT:EXCL 1.5") << Units {exclusive(true)};
    QTest::newRow("5E-1") << QByteArray("ROUT:EXCL 5E-1") << Units {exclusive(true)};
    QTest::newRow("4.9E-1") << QByteArray("ROUT:EXCL 4.9E-1") << Units {exclusive(false)};
    QTest::newRow("0.05E1") << QByteArray("ROUT:EXCL 0.05E1") << Units {exclusive(true)};
    QTest::newRow("0.04E1") << QByteArray("ROUT:EXCL 0.04E1") << Units {exclusive(false)};
    QTest::newRow("50E-2") << QByteArray("ROUT:EXCL 50E-2") << Units {exclusive(true)};
    QTest::newRow("0.05") << QByteArray("ROUT:EXCL 0.05") << Units {exclusive(false)};
    QTest::newRow("beyond int") << QByteArray("ROUT:EXCL 99999999999999999999")
                                << Units {exclusive(true)};
    QTest::newRow("huge exponent")
        << QByteArray("ROUT:EXCL 1E999999999999999999") << Units {exclusive(true)};
    QTest::newRow("tiny") << QByteArray("ROUT:EXCL 9E-999999999999999999")
                          << Units {exclusive(false)};
    QTest::newRow("zero, huge exponent")
        << QByteArray("ROUT:EXCL 0E999999999999999999") << Units {exclusive(false)};
    QTest::newRow("2 then 0") << QByteArray("ROUT:EXCL 2;EXCL 0")
                              << Units {exclusive(true), exclusive(false)};
    const Units illegal {error(sfp::scpi::IllegalParameterValue)};
    QTest::newRow("YES") << QByteArray("ROUT:EXCL YES") << illegal;
    QTest::newRow("ONE") << QByteArray("ROUT:EXCL ONE") << illegal;
    QTest::newRow("boolean list") << QByteArray("ROUT:EXCL (@1)")
                                  << Units {error(sfp::scpi::DataTypeError)};
    QTest::newRow("boolean string")
        << QByteArray("ROUT:EXCL \"ON\"") << Units {error(sfp::scpi::DataTypeError)};
    QTest::newRow("boolean sign only")
        << QByteArray("ROUT:EXCL -") << Units {error(sfp::scpi::SyntaxError)};
    QTest::newRow("boolean exponent without digits")
        << QByteArray("ROUT:EXCL 1E") << Units {error(sfp::scpi::SyntaxError)};
    QTest::newRow("boolean with a unit")
        << QByteArray("ROUT:EXCL 1V") << Units {error(sfp::scpi::SyntaxError)};
    QTest::newRow("two booleans") << QByteArray("ROUT:EXCL 1,0")
                                  << Units {error(sfp::scpi::ParameterNotAllowed)};

    QTest::newRow("ASYN") << QByteArray("ROUT:MODE ASYN") << Units {mode(Mode::Asynchronous)};
    QTest::newRow("asynchronous") << QByteArray("ROUT:MODE asynchronous")
                                  << Units {mode(Mode::Asynchronous)};
    QTest::newRow("COMM") << QByteArray("ROUT:MODE COMM") << Units {mode(Mode::SyncCommand)};
    QTest::newRow("Command") << QByteArray("ROUT:MODE Command") << Units {mode(Mode::SyncCommand)};
    QTest::newRow("TRIG") << QByteArray("ROUT:MODE TRIG") << Units {mode(Mode::SyncTrigger)};
    QTest::newRow("trigger") << QByteArray("route:mode trigger") << Units {mode(Mode::SyncTrigger)};
    QTest::newRow("modes in a row")
        << QByteArray("ROUT:MODE TRIG;MODE ASYN;MODE COMMAND")
        << Units {mode(Mode::SyncTrigger), mode(Mode::Asynchronous), mode(Mode::SyncCommand)};
    QTest::newRow("ASYNC") << QByteArray("ROUT:MODE ASYNC") << illegal;
    QTest::newRow("TRI") << QByteArray("ROUT:MODE TRI") << illegal;
    QTest::newRow("BUS") << QByteArray("ROUT:MODE BUS") << illegal;
    QTest::newRow("mode number") << QByteArray("ROUT:MODE 1")
                                 << Units {error(sfp::scpi::DataTypeError)};

    QTest::newRow("IMM") << QByteArray("TRIG:SOUR IMM") << Units {source(TriggerSource::Immediate)};
    QTest::newRow("immediate") << QByteArray("TRIG:SOUR immediate")
                               << Units {source(TriggerSource::Immediate)};
    QTest::newRow("bus") << QByteArray("TRIG:SOUR bus") << Units {source(TriggerSource::Bus)};
    QTest::newRow("TIM") << QByteArray("TRIG:SOUR TIM") << Units {source(TriggerSource::Timer)};
    QTest::newRow("sources in a row")
        << QByteArray("TRIG:SOUR TIM;SOUR BUS")
        << Units {source(TriggerSource::Timer), source(TriggerSource::Bus)};
    QTest::newRow("source EXT") << QByteArray("TRIG:SOUR EXT") << illegal;
    QTest::newRow("source TIME") << QByteArray("TRIG:SOUR TIME") << illegal;
    QTest::newRow("source BU") << QByteArray("TRIG:SOUR BU") << illegal;
    QTest::newRow("source a mode") << QByteArray("TRIG:SOUR TRIG") << illegal;
    QTest::newRow("source number")
        << QByteArray("TRIG:SOUR 1") << Units {error(sfp::scpi::DataTypeError)};
    QTest::newRow("source string")
        << QByteArray("TRIG:SOUR 'BUS'") << Units {error(sfp::scpi::DataTypeError)};
    QTest::newRow("source missing")
        << QByteArray("TRIG:SOUR") << Units {error(sfp::scpi::MissingParameter)};
    QTest::newRow("two sources") << QByteArray("TRIG:SOUR BUS,TIM")
                                 << Units {error(sfp::scpi::ParameterNotAllowed)};
    QTest::newRow("source glued to junk")
        << QByteArray("TRIG:SOUR BUS$") << Units {error(sfp::scpi::SyntaxError)};
}

void tst_ScpiParser::parameterErrors_data()
{
    addColumns();
    const Units notAllowed {error(sfp::scpi::ParameterNotAllowed)};
    QTest::newRow("*RST 1") << QByteArray("*RST 1") << notAllowed;
    QTest::newRow("*IDN? 1") << QByteArray("*IDN? 1") << notAllowed;
    QTest::newRow("*ESE? with data") << QByteArray("*ESE? 5") << notAllowed;
    QTest::newRow("OPEN:ALL with list") << QByteArray("ROUT:OPEN:ALL (@1)") << notAllowed;
    QTest::newRow("MODE? with mode") << QByteArray("ROUT:MODE? ASYN") << notAllowed;
    QTest::newRow("*ESE two numbers") << QByteArray("*ESE 5,6") << notAllowed;
    QTest::newRow("MODE two words") << QByteArray("ROUT:MODE TRIG,COMM") << notAllowed;
    QTest::newRow("comma, nothing after") << QByteArray("*ESE 5,") << notAllowed;
    QTest::newRow("ERR:COUN? with data") << QByteArray("SYST:ERR:COUN? 1") << notAllowed;
    QTest::newRow("ERR:ALL? with data") << QByteArray("SYST:ERR:ALL? 1") << notAllowed;
    QTest::newRow("LOCK:REQ? with data") << QByteArray("SYST:LOCK:REQ? 1") << notAllowed;
    QTest::newRow("LOCK:REL with data") << QByteArray("SYST:LOCK:REL ON") << notAllowed;
    QTest::newRow("LOCK:OWN? with data") << QByteArray("SYST:LOCK:OWN? (@1)") << notAllowed;
    QTest::newRow("COND? with data") << QByteArray("STAT:OPER:COND? 0") << notAllowed;
    QTest::newRow("ENAB? with data") << QByteArray("STAT:QUES:ENAB? 5") << notAllowed;
    QTest::newRow("ENAB two numbers") << QByteArray("STAT:OPER:ENAB 1,2") << notAllowed;
    QTest::newRow("INIT with data") << QByteArray("INIT 1") << notAllowed;
    QTest::newRow("ABOR with data") << QByteArray("ABOR (@1)") << notAllowed;
    QTest::newRow("TRIG:SOUR? with data") << QByteArray("TRIG:SOUR? BUS") << notAllowed;
    QTest::newRow("TRIG:TIM? with data") << QByteArray("TRIG:TIM? MIN") << notAllowed;
    QTest::newRow("TRIG:COUN? with data") << QByteArray("TRIG:COUN? 1") << notAllowed;
    QTest::newRow("SEQ:CAT? with data") << QByteArray("ROUT:SEQ:CAT? 'a'") << notAllowed;
    QTest::newRow("TRIG:COUN two numbers") << QByteArray("TRIG:COUN 1,2") << notAllowed;
    QTest::newRow("TRIG:TIM two numbers") << QByteArray("TRIG:TIM 1,2") << notAllowed;

    const Units missing {error(sfp::scpi::MissingParameter)};
    QTest::newRow("*ESE") << QByteArray("*ESE") << missing;
    QTest::newRow("*SAV blank") << QByteArray("*SAV   ") << missing;
    QTest::newRow("*RCL before ;") << QByteArray("*RCL ;*RST") << missing;
    QTest::newRow("EXCL") << QByteArray("ROUT:EXCL") << missing;
    QTest::newRow("MODE") << QByteArray("ROUT:MODE") << missing;
    QTest::newRow("OPER:ENAB") << QByteArray("STAT:OPER:ENAB") << missing;
    QTest::newRow("QUES:ENAB") << QByteArray("STAT:QUES:ENAB ;*RST") << missing;
    QTest::newRow("TRIG:COUN") << QByteArray("TRIG:COUN") << missing;
    QTest::newRow("ROUT:SEQ:WAIT") << QByteArray("ROUT:SEQ:WAIT ;*RST") << missing;
    QTest::newRow("ROUT:CHAN:DEL") << QByteArray("ROUT:CHAN:DEL") << missing;
    QTest::newRow("ROUT:SEQ:DEF") << QByteArray("ROUT:SEQ:DEF") << missing;
    QTest::newRow("ROUT:SEQ:DEL") << QByteArray("ROUT:SEQ:DEL") << missing;

    const Units dataType {error(sfp::scpi::DataTypeError)};
    QTest::newRow("word for number") << QByteArray("*ESE ON") << dataType;
    QTest::newRow("MAX for number") << QByteArray("*SAV MAX") << dataType;
    QTest::newRow("list for number") << QByteArray("*ESE (@1)") << dataType;
    QTest::newRow("string") << QByteArray("*ESE \"5\"") << dataType;
    QTest::newRow("single-quoted string") << QByteArray("*ESE '5'") << dataType;
    QTest::newRow("hexadecimal") << QByteArray("*ESE #H1F") << dataType;
    QTest::newRow("block") << QByteArray("*SRE #15hello") << dataType;
    QTest::newRow("expression") << QByteArray("*ESE (1+2)") << dataType;
    QTest::newRow("word for enable") << QByteArray("STAT:OPER:ENAB ON") << dataType;
    QTest::newRow("list for enable") << QByteArray("STAT:QUES:ENAB (@1)") << dataType;

    const Units outOfRange {error(sfp::scpi::DataOutOfRange)};
    QTest::newRow("OPER:ENAB 65536") << QByteArray("STAT:OPER:ENAB 65536") << outOfRange;
    QTest::newRow("QUES:ENAB 65536") << QByteArray("STAT:QUES:ENAB 6.5536E4") << outOfRange;
    QTest::newRow("OPER:ENAB -1") << QByteArray("STAT:OPER:ENAB -1") << outOfRange;
    QTest::newRow("QUES:ENAB -1") << QByteArray("STAT:QUES:ENAB -1") << outOfRange;
    QTest::newRow("ENAB fraction")
        << QByteArray("STAT:OPER:ENAB 1.5") << Units {error(sfp::scpi::IllegalParameterValue)};
}

void tst_ScpiParser::syntaxErrors_data()
{
    addColumns();
    const Units syntax {error(sfp::scpi::SyntaxError)};
    QTest::newRow("empty mnemonic") << QByteArray("ROUT::CLOS (@1)") << syntax;
    QTest::newRow("trailing colon") << QByteArray("ROUT:CLOS: (@1)") << syntax;
    QTest::newRow("no header separator") << QByteArray("ROUT:CLOS(@1)") << syntax;
    QTest::newRow("common, no separator") << QByteArray("*ESE,5") << syntax;
    QTest::newRow("question mark only") << QByteArray("?") << syntax;
    QTest::newRow("question mark inside") << QByteArray("ROUT?:CLOS (@1)") << syntax;
    QTest::newRow("two question marks") << QByteArray("ROUT:MODE??") << syntax;
    QTest::newRow("digit first") << QByteArray("1ROUT") << syntax;
    QTest::newRow("star only") << QByteArray("*") << syntax;
    QTest::newRow("colon before common") << QByteArray(":*RST") << syntax;
    QTest::newRow("colon only") << QByteArray(":") << syntax;
    QTest::newRow("invalid byte in header") << QByteArray("ROUT$:CLOS") << syntax;
    QTest::newRow("non-ASCII in header") << QByteArray("ROUT\xc3\xa9:CLOS") << syntax;
    QTest::newRow("non-ASCII parameter") << QByteArray("*ESE \xff") << syntax;
    QTest::newRow("line feed inside") << QByteArray("*RST\n*CLS") << syntax;
    QTest::newRow("empty parameter") << QByteArray("*ESE ,5") << syntax;
    QTest::newRow("word glued to junk") << QByteArray("ROUT:MODE TRIG$") << syntax;
    // White space ends at the space character; the next one up is a byte
    // out of place.
    QTest::newRow("exclamation mark after header") << QByteArray("*RST!") << syntax;
    QTest::newRow("space inside mnemonic")
        << QByteArray("RO UT:CLOS") << Units {error(sfp::scpi::UndefinedHeader)};
}

void tst_ScpiParser::separatorsAndWhitespace_data()
{
    addColumns();
    QTest::newRow("empty line") << QByteArray() << Units {};
    QTest::newRow("blank line") << QByteArray(" \t\r ") << Units {};
    QTest::newRow("NUL is white space")
        << QByteArray("\0*RST\0", 6) << Units {command(Command::Rst)};
    QTest::newRow("carriage return left") << QByteArray("*RST\r") << Units {command(Command::Rst)};
    QTest::newRow("spaces around units")
        << QByteArray("  *RST  ;  *CLS  ") << Units {command(Command::Rst), command(Command::Cls)};
    QTest::newRow("tabs as separators")
        << QByteArray("*ESE\t\t12\t;\tROUT:CLOS\t(@1)")
        << Units {number(Command::Ese, 12), channels(Command::RouteClose, {1})};
    QTest::newRow("spaces before comma")
        << QByteArray("ROUT:MODE TRIG  ,COMM") << Units {error(sfp::scpi::ParameterNotAllowed)};
    QTest::newRow("separator at the end") << QByteArray("*RST;") << Units {command(Command::Rst)};
    QTest::newRow("separator, blank at the end")
        << QByteArray("*RST ; ") << Units {command(Command::Rst)};
    QTest::newRow("empty unit") << QByteArray("*RST;;*CLS")
                                << Units {command(Command::Rst), error(sfp::scpi::SyntaxError)};
    QTest::newRow("two separators at the end")
        << QByteArray("*RST;;") << Units {command(Command::Rst), error(sfp::scpi::SyntaxError)};
    QTest::newRow("separator only") << QByteArray(";") << Units {error(sfp::scpi::SyntaxError)};
    QTest::newRow("root, nothing after")
        << QByteArray("*RST;:") << Units {command(Command::Rst), error(sfp::scpi::SyntaxError)};
}

void tst_ScpiParser::stopsAtFirstError_data()
{
    addColumns();
    QTest::newRow("undefined in the middle")
        << QByteArray("*RST;FOO;*CLS")
        << Units {command(Command::Rst), error(sfp::scpi::UndefinedHeader)};
    QTest::newRow("first unit out of range")
        << QByteArray("*ESE 300;*CLS") << Units {error(sfp::scpi::DataOutOfRange)};
    QTest::newRow("channel refuses the unit")
        << QByteArray("ROUT:CLOS (@1,40);OPEN (@2)") << Units {error(sfp::scpi::DataOutOfRange)};
    QTest::newRow("later units not read")
        << QByteArray("ROUT:CLOS (@1);OPEN (@99);OPEN (@2);*RST")
        << Units {channels(Command::RouteClose, {1}), error(sfp::scpi::DataOutOfRange)};
    QTest::newRow("first error only")
        << QByteArray("*CLS;*ESE;FOO;*ESE 999")
        << Units {command(Command::Cls), error(sfp::scpi::MissingParameter)};
    QTest::newRow("suffix stops") << QByteArray("*RST;ROUT2:OPEN:ALL;*CLS")
                                  << Units {command(Command::Rst),
                                            error(sfp::scpi::HeaderSuffixOutOfRange)};
}

void tst_ScpiParser::pathStartsAtRootOnEachLine()
{
    const Units first = sfp::scpi::parseLine("ROUT:CLOS (@1)");
    QCOMPARE(describe(first), describe({channels(Command::RouteClose, {1})}));
    const Units second = sfp::scpi::parseLine("OPEN (@2)");
    QCOMPARE(describe(second), describe({error(sfp::scpi::UndefinedHeader)}));
}

void tst_ScpiParser::errorStrings_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("string");
    QTest::newRow("0") << 0 << QByteArray("No error") << QByteArray("0,\"No error\"");
    QTest::newRow("-100") << -100 << QByteArray("Command error")
                          << QByteArray("-100,\"Command error\"");
    QTest::newRow("-102") << -102 << QByteArray("Syntax error")
                          << QByteArray("-102,\"Syntax error\"");
    QTest::newRow("-104") << -104 << QByteArray("Data type error")
                          << QByteArray("-104,\"Data type error\"");
    QTest::newRow("-108") << -108 << QByteArray("Parameter not allowed")
                          << QByteArray("-108,\"Parameter not allowed\"");
    QTest::newRow("-109") << -109 << QByteArray("Missing parameter")
                          << QByteArray("-109,\"Missing parameter\"");
    QTest::newRow("-113") << -113 << QByteArray("Undefined header")
                          << QByteArray("-113,\"Undefined header\"");
    QTest::newRow("-114") << -114 << QByteArray("Header suffix out of range")
                          << QByteArray("-114,\"Header suffix out of range\"");
    QTest::newRow("-221") << -221 << QByteArray("Settings conflict")
                          << QByteArray("-221,\"Settings conflict\"");
    QTest::newRow("-222") << -222 << QByteArray("Data out of range")
                          << QByteArray("-222,\"Data out of range\"");
    QTest::newRow("-223") << -223 << QByteArray("Too much data")
                          << QByteArray("-223,\"Too much data\"");
    QTest::newRow("-224") << -224 << QByteArray("Illegal parameter value")
                          << QByteArray("-224,\"Illegal parameter value\"");
    QTest::newRow("-300") << -300 << QByteArray("Device-specific error")
                          << QByteArray("-300,\"Device-specific error\"");
    QTest::newRow("-350") << -350 << QByteArray("Queue overflow")
                          << QByteArray("-350,\"Queue overflow\"");
    QTest::newRow("not in the table") << -999 << QByteArray() << QByteArray("-999,\"\"");
}

void tst_ScpiParser::errorStrings()
{
    QFETCH(int, number);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, string);
    QCOMPARE(sfp::scpi::errorText(number).toByteArray(), text);
    QCOMPARE(sfp::scpi::errorString(number), string);
}

void tst_ScpiParser::channelListResponses_data()
{
    QTest::addColumn<QList<int>>("channels");
    QTest::addColumn<QByteArray>("list");
    QTest::newRow("none") << QList<int>() << QByteArray("(@)");
    QTest::newRow("one") << QList<int> {7} << QByteArray("(@7)");
    QTest::newRow("first") << QList<int> {1} << QByteArray("(@1)");
    QTest::newRow("last") << QList<int> {32} << QByteArray("(@32)");
    QTest::newRow("single and a range") << QList<int> {3, 5, 6, 7, 8} << QByteArray("(@3,5:8)");
    QTest::newRow("two in a row") << QList<int> {1, 2} << QByteArray("(@1:2)");
    QTest::newRow("apart") << QList<int> {1, 3, 5} << QByteArray("(@1,3,5)");
    QTest::newRow("ranges and singles")
        << QList<int> {1, 2, 4, 5, 6, 9, 31, 32} << QByteArray("(@1:2,4:6,9,31:32)");
    QTest::newRow("range then single") << QList<int> {10, 11, 12, 20} << QByteArray("(@10:12,20)");
    QList<int> all;
    for (int channel = 1; channel <= 32; ++channel)
        all.append(channel);
    QTest::newRow("whole card") << all << QByteArray("(@1:32)");
    QTest::newRow("all but one") << all.mid(0, 15) + all.mid(16) << QByteArray("(@1:15,17:32)");
}

void tst_ScpiParser::channelListResponses()
{
    QFETCH(QList<int>, channels);
    QFETCH(QByteArray, list);
    QCOMPARE(sfp::scpi::channelList(channels), list);
}

void tst_ScpiParser::scanListResponses_data()
{
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QByteArray>("list");
    QTest::newRow("none") << Steps() << QByteArray("(@)");
    QTest::newRow("one") << Steps {{7}} << QByteArray("(@7)");
    QTest::newRow("no ranges merged") << Steps {{1}, {3}, {4}, {5}} << QByteArray("(@1,3,4,5)");
    QTest::newRow("a group") << Steps {{1}, {3}, {4}, {7, 9}} << QByteArray("(@1,3,4,(7,9))");
    QTest::newRow("order kept") << Steps {{32}, {9, 7, 8}, {1}} << QByteArray("(@32,(9,7,8),1)");
    QTest::newRow("a channel again") << Steps {{2}, {2}} << QByteArray("(@2,2)");
}

void tst_ScpiParser::scanListResponses()
{
    QFETCH(Steps, steps);
    QFETCH(QByteArray, list);
    QCOMPARE(sfp::scpi::scanList(steps), list);
    // What a client reads back, it can send again.
    const Units units = sfp::scpi::parseLine("ROUT:SCAN " + list);
    QCOMPARE(describe(units), describe({scan(steps)}));
}

void tst_ScpiParser::secondsResponses_data()
{
    QTest::addColumn<int>("milliseconds");
    QTest::addColumn<QByteArray>("seconds");
    QTest::newRow("0") << 0 << QByteArray("0");
    QTest::newRow("1 ms") << 1 << QByteArray("0.001");
    QTest::newRow("5 ms") << 5 << QByteArray("0.005");
    QTest::newRow("10 ms") << 10 << QByteArray("0.01");
    QTest::newRow("250 ms") << 250 << QByteArray("0.25");
    QTest::newRow("1 s") << 1000 << QByteArray("1");
    QTest::newRow("1.5 s") << 1500 << QByteArray("1.5");
    QTest::newRow("1.005 s") << 1005 << QByteArray("1.005");
    QTest::newRow("60 s") << 60'000 << QByteArray("60");
    QTest::newRow("an hour") << 3'600'000 << QByteArray("3600");
    QTest::newRow("negative") << -1250 << QByteArray("-1.25");
    QTest::newRow("smallest int") << std::numeric_limits<int>::min() << QByteArray("-2147483.648");
}

void tst_ScpiParser::secondsResponses()
{
    QFETCH(int, milliseconds);
    QFETCH(QByteArray, seconds);
    QCOMPARE(sfp::scpi::secondsData(milliseconds), seconds);
}

void tst_ScpiParser::lineEndsWhereItsViewEnds()
{
    // A line handed over as part of a larger buffer: what follows it in
    // memory is not read as part of it.
    const QByteArray buffer("ROUT:CLOS (@1)");
    const QByteArrayView cut = QByteArrayView(buffer).first(11); // "ROUT:CLOS ("
    QCOMPARE(describe(sfp::scpi::parseLine(cut)),
             describe(sfp::scpi::parseLine(QByteArray("ROUT:CLOS ("))));
}

void tst_ScpiParser::hostileInput_data()
{
    addColumns();
    QTest::newRow("100000 separators")
        << QByteArray(100'000, ';') << Units {error(sfp::scpi::SyntaxError)};
    QTest::newRow("only NUL") << QByteArray(1000, '\0') << Units {};
    QTest::newRow("64 KiB of 0xff")
        << QByteArray(65'536, '\xff') << Units {error(sfp::scpi::SyntaxError)};
    QTest::newRow("64 KiB mnemonic")
        << QByteArray(65'536, 'A') << Units {error(sfp::scpi::UndefinedHeader)};
    QTest::newRow("64 KiB of colons")
        << QByteArray(65'536, ':') << Units {error(sfp::scpi::SyntaxError)};
    QTest::newRow("64 KiB of digits as suffix") << QByteArray("ROUT") + QByteArray(65'536, '7')
            + QByteArray(":OPEN:ALL") << Units {error(sfp::scpi::HeaderSuffixOutOfRange)};
    QTest::newRow("64 KiB of leading zeros") << QByteArray("*ESE ") + QByteArray(65'536, '0')
            + QByteArray("42") << Units {number(Command::Ese, 42)};
    QTest::newRow("64 KiB of trailing zeros") << QByteArray("*ESE 1") + QByteArray(65'536, '0')
                                              << Units {error(sfp::scpi::DataOutOfRange)};
    QTest::newRow("64 KiB of fraction zeros")
        << QByteArray("*ESE 3.") + QByteArray(65'536, '0') << Units {number(Command::Ese, 3)};
    QTest::newRow("64 KiB exponent") << QByteArray("*ESE 1E") + QByteArray(65'536, '9')
                                     << Units {error(sfp::scpi::DataOutOfRange)};
    QTest::newRow("long list, 33 at the end")
        << QByteArray("ROUT:CLOS (@") + QByteArray("32:1,").repeated(4000) + QByteArray("33)")
        << Units {error(sfp::scpi::DataOutOfRange)};
    QTest::newRow("unclosed long list")
        << QByteArray("ROUT:CLOS (@") + QByteArray("1,").repeated(30'000)
        << Units {error(sfp::scpi::SyntaxError)};
    QTest::newRow("64 KiB of opening parentheses") << QByteArray("ROUT:SCAN (@")
            + QByteArray(65'536, '(') << Units {error(sfp::scpi::IllegalParameterValue)};
    QTest::newRow("long scan, 33 at the end")
        << QByteArray("ROUT:SCAN (@") + QByteArray("(32:1),").repeated(999) + QByteArray("33)")
        << Units {error(sfp::scpi::DataOutOfRange)};
    QTest::newRow("unclosed long scan")
        << QByteArray("ROUT:SCAN (@") + QByteArray("32:1,").repeated(30'000)
        << Units {error(sfp::scpi::TooMuchData)};
    QTest::newRow("64 KiB group") << QByteArray("ROUT:SCAN (@(")
            + QByteArray("1:32,").repeated(13'000)
                                  << Units {error(sfp::scpi::IllegalParameterValue)};
    QTest::newRow("64 KiB of seconds digits") << QByteArray("TRIG:TIM 0.") + QByteArray(65'536, '9')
                                              << Units {duration(Command::TriggerTimer, 1000)};
    QTest::newRow("64 KiB sequence")
        << QByteArray("ROUT:SEQ:DEF 'big','") + QByteArray(65'536, ';') + QByteArray("'") << [] {
               Unit unit = sequence("big", QString(65'536, QLatin1Char(';')));
               return Units {unit};
           }();
}

void tst_ScpiParser::randomGarbage()
{
    QRandomGenerator random(20'260'517);
    for (int round = 0; round < 200; ++round) {
        QByteArray line(random.bounded(1, 65'537), Qt::Uninitialized);
        for (char &byte : line)
            byte = char(random.bounded(256));
        const Units units = sfp::scpi::parseLine(line);
        QVERIFY(errorOnlyLast(units));
        for (const Unit &unit : units) {
            for (int channel : unit.channels)
                QVERIFY(channel >= 1 && channel <= 32);
            QVERIFY(unit.steps.size() <= 1000);
            for (const QList<int> &step : unit.steps) {
                for (int channel : step)
                    QVERIFY(channel >= 1 && channel <= 32);
            }
        }
        QCOMPARE(describe(sfp::scpi::parseLine(line)), describe(units));
    }
}

void tst_ScpiParser::manyUnits()
{
    // (How long it takes is the fuzzer's and a benchmark's business.)
    const QByteArray line = QByteArray(":ROUT:CLOS (@1:32);OPEN (@32:1);").repeated(50'000);
    const Units units = sfp::scpi::parseLine(line);
    QCOMPARE(units.size(), 100'000);
    QCOMPARE(units.at(99'998).command, Command::RouteClose);
    QCOMPARE(units.at(99'999).command, Command::RouteOpen);
    QCOMPARE(units.at(99'999).channels.size(), 32);
    QCOMPARE(units.at(99'999).channels.first(), 32);
}

QTEST_GUILESS_MAIN(tst_ScpiParser)
#include "tst_scpiparser.moc"
