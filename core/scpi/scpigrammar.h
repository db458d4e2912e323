// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The remote control's command set as tables: the header tree of the SCPI
// commands, the IEEE 488.2 common commands, each command's parameter, and
// the error numbers' texts. The parser reads a line against them.
#pragma once

#include "scpiparser.h"

#include <array>

namespace sfp::scpi::grammar {

// Header tree ------------------------------------------------------------

inline constexpr int rootNode = -1;

struct Node
{
    const char *name; // the long form; its leading capitals are the short form
    int parent;
    bool optional; // may be left out at the end of a header
    Command command;
    Command query;
};

// Parents are indices into this table.
inline constexpr std::array<Node, 64> headerTree {{
    /* 0 */ {"ROUTe", rootNode, false, Command::None, Command::None},
    /* 1 */ {"CLOSe", 0, false, Command::RouteClose, Command::RouteCloseQuery},
    /* 2 */ {"OPEN", 0, false, Command::RouteOpen, Command::RouteOpenQuery},
    /* 3 */ {"ALL", 2, false, Command::RouteOpenAll, Command::None},
    /* 4 */ {"MODE", 0, false, Command::RouteMode, Command::RouteModeQuery},
    /* 5 */ {"UPDate", 0, false, Command::RouteUpdate, Command::None},
    /* 6 */ {"EXCLusive", 0, false, Command::RouteExclusive, Command::RouteExclusiveQuery},
    /* 7 */ {"SYNChronized", 0, false, Command::None, Command::RouteSynchronizedQuery},
    /* 8 */ {"SYSTem", rootNode, false, Command::None, Command::None},
    /* 9 */ {"ERRor", 8, false, Command::None, Command::None},
    /* 10 */ {"NEXT", 9, true, Command::None, Command::SystemErrorNextQuery},
    /* 11 */ {"VERSion", 8, false, Command::None, Command::SystemVersionQuery},
    /* 12 */ {"LOCal", 8, false, Command::SystemLocal, Command::None},
    /* 13 */ {"RWLock", 8, false, Command::SystemRwLock, Command::None},
    /* 14 */ {"STATus", rootNode, false, Command::None, Command::None},
    /* 15 */ {"OPERation", 14, false, Command::None, Command::None},
    /* 16 */ {"EVENt", 15, true, Command::None, Command::StatusOperationEventQuery},
    /* 17 */ {"QUEStionable", 14, false, Command::None, Command::None},
    /* 18 */ {"EVENt", 17, true, Command::None, Command::StatusQuestionableEventQuery},
    /* 19 */ {"PRESet", 14, false, Command::StatusPreset, Command::None},
    /* 20 */ {"STATe", 1, false, Command::None, Command::RouteCloseListQuery},
    /* 21 */ {"EXCLusive", 1, false, Command::RouteCloseExclusive, Command::None},
    /* 22 */ {"COUNt", 9, false, Command::None, Command::SystemErrorCountQuery},
    /* 23 */ {"ALL", 9, false, Command::None, Command::SystemErrorAllQuery},
    /* 24 */ {"LOCK", 8, false, Command::None, Command::None},
    /* 25 */ {"REQuest", 24, false, Command::None, Command::SystemLockRequestQuery},
    /* 26 */ {"RELease", 24, false, Command::SystemLockRelease, Command::None},
    /* 27 */ {"OWNer", 24, false, Command::None, Command::SystemLockOwnerQuery},
    /* 28 */ {"CONDition", 15, false, Command::None, Command::StatusOperationConditionQuery},
    /* 29 */
    {"ENABle", 15, false, Command::StatusOperationEnable, Command::StatusOperationEnableQuery},
    /* 30 */ {"CONDition", 17, false, Command::None, Command::StatusQuestionableConditionQuery},
    /* 31 */
    {"ENABle", 17, false, Command::StatusQuestionableEnable,
     Command::StatusQuestionableEnableQuery},
    /* 32 */ {"ALLowed", 1, false, Command::None, Command::RouteCloseAllowedQuery},
    /* 33 */ {"CHANnel", 0, false, Command::None, Command::None},
    /* 34 */ {"LABel", 33, false, Command::RouteChannelLabel, Command::RouteChannelLabelQuery},
    /* 35 */ {"CLEar", 34, false, Command::RouteChannelLabelClear, Command::None},
    /* 36 */ {"MEMory", rootNode, false, Command::None, Command::None},
    /* 37 */ {"STATe", 36, false, Command::None, Command::None},
    /* 38 */ {"DEFine", 37, false, Command::MemoryStateDefine, Command::None},
    /* 39 */ {"RECall", 37, false, Command::MemoryStateRecall, Command::None},
    /* 40 */ {"CATalog", 37, false, Command::None, Command::MemoryStateCatalogQuery},
    /* 41 */ {"DIAGnostic", rootNode, false, Command::None, Command::None},
    /* 42 */ {"RELay", 41, false, Command::None, Command::None},
    /* 43 */ {"CYCLes", 42, false, Command::None, Command::DiagnosticRelayCyclesQuery},
    /* 44 */ {"CLEar", 43, false, Command::DiagnosticRelayCyclesClear, Command::None},
    /* 45 */ {"SCAN", 0, false, Command::RouteScan, Command::RouteScanQuery},
    /* 46 */ {"STATe", 45, false, Command::None, Command::RouteScanStateQuery},
    /* 47 */ {"DELay", 33, false, Command::RouteChannelDelay, Command::RouteChannelDelayQuery},
    /* 48 */ {"TRIGger", rootNode, false, Command::None, Command::None},
    /* 49 */ {"SOURce", 48, false, Command::TriggerSource, Command::TriggerSourceQuery},
    /* 50 */ {"TIMer", 48, false, Command::TriggerTimer, Command::TriggerTimerQuery},
    /* 51 */ {"COUNt", 48, false, Command::TriggerCount, Command::TriggerCountQuery},
    /* 52 */ {"INITiate", rootNode, false, Command::Initiate, Command::None},
    /* 53 */ {"IMMediate", 52, true, Command::Initiate, Command::None},
    /* 54 */ {"ABORt", rootNode, false, Command::Abort, Command::None},
    /* 55 */ {"SEQuence", 0, false, Command::None, Command::None},
    /* 56 */
    {"DEFine", 55, false, Command::RouteSequenceDefine, Command::RouteSequenceDefineQuery},
    /* 57 */ {"CATalog", 55, false, Command::None, Command::RouteSequenceCatalogQuery},
    /* 58 */ {"DELete", 55, false, Command::RouteSequenceDelete, Command::None},
    /* 59 */ {"ALL", 58, false, Command::RouteSequenceDeleteAll, Command::None},
    /* 60 */ {"TRIGger", 55, false, Command::RouteSequenceTrigger, Command::None},
    /* 61 */ {"IMMediate", 60, true, Command::RouteSequenceTrigger, Command::None},
    /* 62 */ {"BUSY", 55, false, Command::None, Command::RouteSequenceBusyQuery},
    /* 63 */ {"WAIT", 55, false, Command::RouteSequenceWait, Command::None},
}};

struct CommonCommand
{
    const char *mnemonic;
    bool query;
    Command command;
};

inline constexpr std::array<CommonCommand, 17> commonCommands {{
    {"IDN", true, Command::IdnQuery},
    {"RST", false, Command::Rst},
    {"CLS", false, Command::Cls},
    {"ESE", false, Command::Ese},
    {"ESE", true, Command::EseQuery},
    {"ESR", true, Command::EsrQuery},
    {"SRE", false, Command::Sre},
    {"SRE", true, Command::SreQuery},
    {"STB", true, Command::StbQuery},
    {"OPC", false, Command::Opc},
    {"OPC", true, Command::OpcQuery},
    {"WAI", false, Command::Wai},
    {"TST", true, Command::TstQuery},
    {"OPT", true, Command::OptQuery},
    {"TRG", false, Command::Trg},
    {"SAV", false, Command::Sav},
    {"RCL", false, Command::Rcl},
}};

// Parameters ---------------------------------------------------------------

// Number is an integer in minimum..maximum; Count the same or MINimum,
// MAXimum, or INFinity (0). Seconds is a duration in minimum..maximum
// milliseconds, or MINimum or MAXimum. Text is a quoted string;
// TextAndChannels a string, a comma and a channel list; SecondsAndChannels
// a duration, a comma and a channel list; TextAndText two strings with a
// comma between them.
enum class ParameterKind {
    None,
    Number,
    Count,
    Boolean,
    Mode,
    TriggerSource,
    Seconds,
    Channels,
    ScanList,
    Text,
    TextAndChannels,
    SecondsAndChannels,
    TextAndText,
};

struct Parameter
{
    ParameterKind kind = ParameterKind::None;
    int minimum = 0;
    int maximum = 0;
    // The command a unit becomes when its data is left out; None where the
    // data is required.
    Command withoutData = Command::None;
};

// The parameter a command takes, and its range.
Parameter parameterOf(Command command);

struct ModeName
{
    const char *name;
    Mode mode;
};

inline constexpr std::array<ModeName, 3> modeNames {{
    {"ASYNchronous", Mode::Asynchronous},
    {"COMMand", Mode::SyncCommand},
    {"TRIGger", Mode::SyncTrigger},
}};

struct TriggerSourceName
{
    const char *name;
    TriggerSource source;
};

inline constexpr std::array<TriggerSourceName, 3> triggerSourceNames {{
    {"IMMediate", TriggerSource::Immediate},
    {"BUS", TriggerSource::Bus},
    {"TIMer", TriggerSource::Timer},
}};

// The words a number may be given as, where the command takes them.
inline constexpr const char *minimumName = "MINimum";
inline constexpr const char *maximumName = "MAXimum";
inline constexpr const char *infinityName = "INFinity";

} // namespace sfp::scpi::grammar
