// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The command parser of the SCPI remote control: one program message line
// in, its program message units out, in order. Syntax after IEEE 488.2 and
// SCPI-99; the instrument is the relay card, channel n is relay n (1..32).
#pragma once

#include "switchingmode.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QObject>

namespace sfp::scpi {
Q_NAMESPACE

// Every command of the card; a query is a command of its own.
enum class Command {
    None, // the unit is an error
    // IEEE 488.2 common commands
    IdnQuery,
    Rst,
    Cls,
    Ese, // number 0..255
    EseQuery,
    EsrQuery,
    Sre, // number 0..255
    SreQuery,
    StbQuery,
    Opc,
    OpcQuery,
    Wai,
    TstQuery,
    OptQuery,
    Trg,
    Sav, // number 0..9
    Rcl, // number 0..9
    // ROUTe
    RouteClose, // channels
    RouteCloseQuery, // channels
    RouteCloseListQuery, // ROUTe:CLOSe? without a list, ROUTe:CLOSe:STATe?
    RouteCloseExclusive, // channels
    RouteCloseAllowedQuery, // channels
    RouteChannelLabel, // text and channels
    RouteChannelLabelQuery, // channels
    RouteChannelLabelClear, // channels
    // MEMory
    MemoryStateDefine, // text and channels
    MemoryStateRecall, // text
    MemoryStateCatalogQuery,
    // DIAGnostic
    DiagnosticRelayCyclesQuery, // channels
    DiagnosticRelayCyclesClear, // channels
    RouteOpen, // channels
    RouteOpenQuery, // channels
    RouteOpenListQuery, // ROUTe:OPEN? without a list
    RouteOpenAll,
    RouteMode, // mode
    RouteModeQuery,
    RouteUpdate,
    RouteExclusive, // flag
    RouteExclusiveQuery,
    RouteSynchronizedQuery,
    // SYSTem
    SystemErrorNextQuery,
    SystemErrorCountQuery,
    SystemErrorAllQuery,
    SystemVersionQuery,
    SystemLocal,
    SystemRwLock,
    SystemLockRequestQuery,
    SystemLockRelease,
    SystemLockOwnerQuery,
    // STATus
    StatusOperationEventQuery,
    StatusOperationConditionQuery,
    StatusOperationEnable, // number 0..65535
    StatusOperationEnableQuery,
    StatusQuestionableEventQuery,
    StatusQuestionableConditionQuery,
    StatusQuestionableEnable, // number 0..65535
    StatusQuestionableEnableQuery,
    StatusPreset,
    // Scans
    RouteScan, // steps; none clears the scan
    RouteScanQuery,
    RouteScanStateQuery,
    RouteChannelDelay, // milliseconds and channels
    RouteChannelDelayQuery, // channels
    TriggerSource, // triggerSource
    TriggerSourceQuery,
    TriggerTimer, // milliseconds 1..3600000
    TriggerTimerQuery,
    TriggerCount, // number 1..1000000, or 0 for a scan without end
    TriggerCountQuery,
    Initiate,
    Abort,
    // Sequences
    RouteSequenceDefine, // text (the name) and commands
    RouteSequenceDefineQuery, // text
    RouteSequenceCatalogQuery,
    RouteSequenceDelete, // text
    RouteSequenceDeleteAll,
    RouteSequenceTrigger, // text
    RouteSequenceBusyQuery,
    RouteSequenceWait, // number 0..60000 (milliseconds), for a sequence's commands
};
Q_ENUM_NS(Command)

// The parameter of ROUTe:MODE: the card's own modes.
using Mode = SwitchingMode;

// The parameter of TRIGger:SOURce: what starts each step of a scan.
enum class TriggerSource { Immediate, Bus, Timer };
Q_ENUM_NS(TriggerSource)

// The most steps a scan list may expand to.
inline constexpr int maxScanSteps = 1000;

// The SCPI error numbers of the remote control. The parser gives
// SyntaxError, DataTypeError, ParameterNotAllowed, MissingParameter,
// UndefinedHeader, HeaderSuffixOutOfRange, DataOutOfRange, TooMuchData and
// IllegalParameterValue; the others are for the server.
enum Error : int {
    NoError = 0,
    CommandError = -100,
    SyntaxError = -102,
    DataTypeError = -104,
    ParameterNotAllowed = -108,
    MissingParameter = -109,
    UndefinedHeader = -113,
    HeaderSuffixOutOfRange = -114,
    CommandProtected = -203,
    TriggerIgnored = -211,
    SettingsConflict = -221,
    DataOutOfRange = -222,
    TooMuchData = -223,
    IllegalParameterValue = -224,
    DeviceSpecificError = -300,
    QueueOverflow = -350,
    QueryInterrupted = -410,
};

// One program message unit: a command with its parameter, or an error. Each
// field other than command and error belongs to the commands marked with it
// above and keeps its default value for all others.
struct Unit
{
    Command command = Command::None;
    QList<int> channels; // in list order, ranges expanded in their direction
    int number = 0;
    bool flag = false; // ON, or a number that rounds to anything but 0
    Mode mode = Mode::Asynchronous;
    QString text; // a string's characters, its quotes undoubled (UTF-8)
    QList<QList<int>> steps; // a scan's steps in list order, each the channels it closes
    int milliseconds = 0; // a duration given in seconds
    TriggerSource triggerSource = TriggerSource::Immediate;
    QString commands; // a sequence's commands as one string, quotes undoubled
    int error = NoError; // NoError, or the SCPI error number (command is None)
};

// Parses one program message line, without its line end. The path of the
// header tree starts at the root. Reading stops at the first error, which
// is then the last unit, as SCPI discards the rest of the message. An empty
// or blank line gives no unit.
//
// White space is IEEE 488.2's: bytes 0..32 except the line feed. A unit
// separator may end the line; an empty unit (";;") is a syntax error.
//
// Numbers are decimal (NRf) with an integral value: "5", "+5", "5.0",
// "0.5E1"; a fraction gives IllegalParameterValue. TRIGger:COUNt also takes
// MINimum, MAXimum and INFinity. A boolean is ON or OFF, or a number rounded
// to the nearest integer, any but 0 being ON ("0.5", "-1" and "2" are ON,
// "0.4" is OFF). A duration is a decimal number of seconds ("0.005", "5E-3",
// "1") rounded to the nearest millisecond and then checked against its
// range, or MINimum or MAXimum. Modes and trigger sources are words in
// their short or long form.
//
// A string is quoted with " or ', the quote doubled inside it; the other
// quote and unit separators inside it are plain characters, so a
// sequence's commands are one string. Its bytes are UTF-8, and bytes that
// are not give IllegalParameterValue.
//
// Channel lists take single channels and ranges, "(@1,3,8:5)"; a channel
// outside 1..32 refuses the whole unit with DataOutOfRange. ROUTe:CLOSe?
// and ROUTe:OPEN? without a list ask for the whole card, and are commands
// of their own. A scan list also takes groups of channels and ranges closed
// together in one step, each channel named once: "(@1,3:5,(7,9))" is the
// steps [1], [3], [4], [5], [7,9]; "(@)" is a scan of no steps. An empty
// group, a channel twice in a group and a group inside a group give
// IllegalParameterValue; more than maxScanSteps steps TooMuchData.
//
// The parameter types a command does not take (strings, blocks,
// expressions, MIN/MAX) give DataTypeError. The card has no numeric header
// suffixes, so any suffix on a defined header gives
// HeaderSuffixOutOfRange.
QList<Unit> parseLine(QByteArrayView line);

// The standard text of a SCPI error number ("Undefined header"); "No error"
// for NoError, empty for a number not in the table.
QByteArrayView errorText(int error);

// The error as SYSTem:ERRor? reports it: -113,"Undefined header".
QByteArray errorString(int error);
// The same with the reason after the text, as a refusal reports it:
// -221,"Settings conflict;another client holds the lock".
QByteArray errorString(int error, const QString &reason);

// Channels (in 1..32, ascending) as a response's channel list, runs of
// consecutive channels as ranges: "(@3,5:8)"; "(@)" for none.
QByteArray channelList(const QList<int> &channels);

// A scan's steps as a response's scan list, in their order, a step of more
// than one channel as a group, no ranges: "(@1,3,4,(7,9))"; "(@)" for none.
QByteArray scanList(const QList<QList<int>> &steps);

// A duration as a response's number of seconds, the shortest decimal:
// "0.005", "1.5", "60".
QByteArray secondsData(int milliseconds);

// Text as string response data: UTF-8 in double quotes, each quote inside
// doubled: "say ""hi""".
QByteArray stringData(const QString &text);

} // namespace sfp::scpi
