// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The SCPI command parser: header forms and the header path, every command,
// channel lists, numbers, booleans and modes, the errors it gives, the stop
// at the first error, the error table, and hostile input.
#include "scpiparser.h"

#include <QMetaEnum>
#include <QRandomGenerator>
#include <QTest>

using sfp::scpi::Command;
using sfp::scpi::Mode;
using sfp::scpi::Unit;
using Units = QList<Unit>;

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

// Every field of every unit, so that a comparison shows all differences.
QStringList describe(const Units &units)
{
    QStringList lines;
    for (const Unit &unit : units) {
        QStringList channelText;
        for (int channel : unit.channels)
            channelText << QString::number(channel);
        lines << QStringLiteral("%1 (@%2) number=%3 flag=%4 mode=%5 text=[%7] error=%6")
                     .arg(QLatin1String(
                              QMetaEnum::fromType<Command>().valueToKey(int(unit.command))),
                          channelText.join(QLatin1Char(',')))
                     .arg(unit.number)
                     .arg(unit.flag ? QStringLiteral("ON") : QStringLiteral("OFF"))
                     .arg(int(unit.mode))
                     .arg(unit.error)
                     .arg(unit.text);
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

    const Units missing {error(sfp::scpi::MissingParameter)};
    QTest::newRow("*ESE") << QByteArray("*ESE") << missing;
    QTest::newRow("*SAV blank") << QByteArray("*SAV   ") << missing;
    QTest::newRow("*RCL before ;") << QByteArray("*RCL ;*RST") << missing;
    QTest::newRow("EXCL") << QByteArray("ROUT:EXCL") << missing;
    QTest::newRow("MODE") << QByteArray("ROUT:MODE") << missing;
    QTest::newRow("OPER:ENAB") << QByteArray("STAT:OPER:ENAB") << missing;
    QTest::newRow("QUES:ENAB") << QByteArray("STAT:QUES:ENAB ;*RST") << missing;

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
