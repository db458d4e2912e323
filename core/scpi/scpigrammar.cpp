// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "scpigrammar.h"

#include "relays.h"

namespace sfp::scpi {

namespace grammar {

Parameter parameterOf(Command command)
{
    switch (command) {
    case Command::Ese:
    case Command::Sre:
        return {ParameterKind::Number, 0, 255};
    case Command::Sav:
    case Command::Rcl:
        return {ParameterKind::Number, 0, 9};
    case Command::StatusOperationEnable:
    case Command::StatusQuestionableEnable:
        return {ParameterKind::Number, 0, 65535};
    case Command::RouteClose:
    case Command::RouteOpen:
    case Command::RouteCloseExclusive:
    case Command::RouteCloseAllowedQuery:
    case Command::RouteChannelLabelQuery:
    case Command::RouteChannelLabelClear:
    case Command::DiagnosticRelayCyclesQuery:
    case Command::DiagnosticRelayCyclesClear:
        return {ParameterKind::Channels, 1, relayCount};
    case Command::RouteChannelLabel:
    case Command::MemoryStateDefine:
        return {ParameterKind::TextAndChannels, 1, relayCount};
    case Command::MemoryStateRecall:
        return {ParameterKind::Text, 0, 0};
    // Without a list the query asks for the whole card.
    case Command::RouteCloseQuery:
        return {ParameterKind::Channels, 1, relayCount, Command::RouteCloseListQuery};
    case Command::RouteOpenQuery:
        return {ParameterKind::Channels, 1, relayCount, Command::RouteOpenListQuery};
    case Command::RouteMode:
        return {ParameterKind::Mode, 0, 0};
    case Command::RouteExclusive:
        return {ParameterKind::Boolean, 0, 1};
    case Command::RouteScan:
        return {ParameterKind::ScanList, 1, relayCount};
    case Command::RouteChannelDelay:
        return {ParameterKind::SecondsAndChannels, 0, 60'000};
    case Command::RouteChannelDelayQuery:
        return {ParameterKind::Channels, 1, relayCount};
    case Command::TriggerSource:
        return {ParameterKind::TriggerSource, 0, 0};
    case Command::TriggerTimer:
        return {ParameterKind::Seconds, 1, 3'600'000};
    case Command::TriggerCount:
        return {ParameterKind::Count, 1, 1'000'000};
    case Command::RouteSequenceDefine:
        return {ParameterKind::TextAndText, 0, 0};
    case Command::RouteSequenceDefineQuery:
    case Command::RouteSequenceDelete:
    case Command::RouteSequenceTrigger:
        return {ParameterKind::Text, 0, 0};
    case Command::RouteSequenceWait:
        return {ParameterKind::Number, 0, 60'000};
    default:
        return {};
    }
}

} // namespace grammar

namespace {

struct ErrorEntry
{
    int number;
    const char *text;
};

constexpr std::array<ErrorEntry, 17> errorTable {{
    {NoError, "No error"},
    {CommandError, "Command error"},
    {SyntaxError, "Syntax error"},
    {DataTypeError, "Data type error"},
    {ParameterNotAllowed, "Parameter not allowed"},
    {MissingParameter, "Missing parameter"},
    {UndefinedHeader, "Undefined header"},
    {HeaderSuffixOutOfRange, "Header suffix out of range"},
    {CommandProtected, "Command protected"},
    {TriggerIgnored, "Trigger ignored"},
    {SettingsConflict, "Settings conflict"},
    {DataOutOfRange, "Data out of range"},
    {TooMuchData, "Too much data"},
    {IllegalParameterValue, "Illegal parameter value"},
    {DeviceSpecificError, "Device-specific error"},
    {QueueOverflow, "Queue overflow"},
    {QueryInterrupted, "Query INTERRUPTED"},
}};

} // namespace

QByteArrayView errorText(int error)
{
    for (const ErrorEntry &entry : errorTable) {
        if (entry.number == error)
            return entry.text;
    }
    return {};
}

QByteArray errorString(int error)
{
    return QByteArray::number(error) + ",\"" + errorText(error).toByteArray() + '"';
}

QByteArray channelList(const QList<int> &channels)
{
    QByteArray list("(@");
    qsizetype i = 0;
    while (i < channels.size()) {
        qsizetype last = i;
        while (last + 1 < channels.size() && channels.at(last + 1) == channels.at(last) + 1)
            ++last;
        if (i > 0)
            list += ',';
        list += QByteArray::number(channels.at(i));
        if (last > i)
            list += ':' + QByteArray::number(channels.at(last));
        i = last + 1;
    }
    return list + ')';
}

QByteArray scanList(const QList<QList<int>> &steps)
{
    QByteArray list("(@");
    for (qsizetype i = 0; i < steps.size(); ++i) {
        if (i > 0)
            list += ',';
        const QList<int> &step = steps.at(i);
        // A step of one channel reads as that channel; any other, even an
        // empty one, keeps its parentheses so that it stays one step.
        const bool group = step.size() != 1;
        if (group)
            list += '(';
        for (qsizetype j = 0; j < step.size(); ++j) {
            if (j > 0)
                list += ',';
            list += QByteArray::number(step.at(j));
        }
        if (group)
            list += ')';
    }
    return list + ')';
}

QByteArray secondsData(int milliseconds)
{
    QByteArray text;
    // Widened first, so that the smallest int has a magnitude too.
    qint64 magnitude = milliseconds;
    if (magnitude < 0) {
        text += '-';
        magnitude = -magnitude;
    }
    text += QByteArray::number(magnitude / 1000);
    QByteArray fraction = QByteArray::number(magnitude % 1000 + 1000).mid(1);
    while (fraction.endsWith('0'))
        fraction.chop(1);
    if (!fraction.isEmpty())
        text += '.' + fraction;
    return text;
}

} // namespace sfp::scpi
