// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Fuzzes the SCPI command parser with arbitrary bytes as one program message
// line: at most one error, and only as the last unit; an error unit carries
// no command and a command unit no error; every channel is in 1..32, every
// number and duration in its command's range, a scan of at most 1000
// steps, none empty, and fields a command does not use keep their
// defaults; the same line parses the same way twice.
#include "scpiparser.h"

#include <cstdint>
#include <cstdlib>

namespace {

bool sameUnits(const QList<sfp::scpi::Unit> &a, const QList<sfp::scpi::Unit> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const sfp::scpi::Unit &x = a.at(i);
        const sfp::scpi::Unit &y = b.at(i);
        if (x.command != y.command || x.channels != y.channels || x.number != y.number
            || x.flag != y.flag || x.mode != y.mode || x.text != y.text || x.steps != y.steps
            || x.milliseconds != y.milliseconds || x.triggerSource != y.triggerSource
            || x.commands != y.commands || x.error != y.error)
            return false;
    }
    return true;
}

bool takesChannels(sfp::scpi::Command command)
{
    using sfp::scpi::Command;
    switch (command) {
    case Command::RouteClose:
    case Command::RouteCloseQuery:
    case Command::RouteOpen:
    case Command::RouteOpenQuery:
    case Command::RouteCloseExclusive:
    case Command::RouteCloseAllowedQuery:
    case Command::RouteChannelLabel:
    case Command::RouteChannelLabelQuery:
    case Command::RouteChannelLabelClear:
    case Command::MemoryStateDefine:
    case Command::DiagnosticRelayCyclesQuery:
    case Command::DiagnosticRelayCyclesClear:
    case Command::RouteChannelDelay:
    case Command::RouteChannelDelayQuery:
        return true;
    default:
        return false;
    }
}

bool inRange(int value, int minimum, int maximum)
{
    return value >= minimum && value <= maximum;
}

// The number in its command's range, and every field that the command does
// not use at its default.
bool fieldsAsDocumented(const sfp::scpi::Unit &unit)
{
    using sfp::scpi::Command;
    if (takesChannels(unit.command) == unit.channels.isEmpty())
        return false;
    if (unit.flag && unit.command != Command::RouteExclusive)
        return false;
    if (unit.mode != sfp::scpi::Mode::Asynchronous && unit.command != Command::RouteMode)
        return false;
    if (unit.triggerSource != sfp::scpi::TriggerSource::Immediate
        && unit.command != Command::TriggerSource)
        return false;
    if (!unit.steps.isEmpty() && unit.command != Command::RouteScan)
        return false;
    if (unit.steps.size() > 1000)
        return false;
    for (const QList<int> &step : unit.steps) {
        if (step.isEmpty())
            return false;
        for (const int channel : step) {
            if (!inRange(channel, 1, 32))
                return false;
        }
    }
    if (!unit.commands.isEmpty() && unit.command != Command::RouteSequenceDefine)
        return false;
    switch (unit.command) {
    case Command::RouteChannelDelay:
        if (!inRange(unit.milliseconds, 0, 60'000))
            return false;
        break;
    case Command::TriggerTimer:
        if (!inRange(unit.milliseconds, 1, 3'600'000))
            return false;
        break;
    default:
        if (unit.milliseconds != 0)
            return false;
    }
    switch (unit.command) {
    case Command::Ese:
    case Command::Sre:
        return inRange(unit.number, 0, 255);
    case Command::Sav:
    case Command::Rcl:
        return inRange(unit.number, 0, 9);
    case Command::StatusOperationEnable:
    case Command::StatusQuestionableEnable:
        return inRange(unit.number, 0, 65535);
    case Command::TriggerCount:
        return inRange(unit.number, 0, 1'000'000);
    case Command::RouteSequenceWait:
        return inRange(unit.number, 0, 60'000);
    default:
        return unit.number == 0;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView line(data, static_cast<qsizetype>(size));
    const QList<sfp::scpi::Unit> units = sfp::scpi::parseLine(line);

    // Every unit takes at least one byte of the line.
    if (units.size() > line.size())
        std::abort();
    for (qsizetype i = 0; i < units.size(); ++i) {
        const sfp::scpi::Unit &unit = units.at(i);
        const bool isError = unit.error != sfp::scpi::NoError;
        if (isError && i != units.size() - 1)
            std::abort(); // an error that did not stop the parse
        if (isError != (unit.command == sfp::scpi::Command::None))
            std::abort();
        if (sfp::scpi::errorText(unit.error).isEmpty())
            std::abort(); // an error number outside the table
        if (!fieldsAsDocumented(unit))
            std::abort();
        for (const int channel : unit.channels) {
            if (channel < 1 || channel > 32)
                std::abort();
        }
    }
    if (!sameUnits(sfp::scpi::parseLine(line), units))
        std::abort();
    return 0;
}
