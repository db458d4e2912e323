// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Fuzzes the SCPI command parser with arbitrary bytes as one program message
// line: at most one error, and only as the last unit; an error unit carries
// no command and a command unit no error; every channel is in 1..32, every
// number in its command's range, and fields a command does not use keep
// their defaults; the same line parses the same way twice.
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
            || x.flag != y.flag || x.mode != y.mode || x.error != y.error)
            return false;
    }
    return true;
}

// The number in its command's range, and every field that the command does
// not use at its default.
bool fieldsAsDocumented(const sfp::scpi::Unit &unit)
{
    using sfp::scpi::Command;
    const bool hasChannels = unit.command == Command::RouteClose
        || unit.command == Command::RouteCloseQuery || unit.command == Command::RouteOpen
        || unit.command == Command::RouteOpenQuery || unit.command == Command::RouteCloseExclusive;
    if (hasChannels == unit.channels.isEmpty())
        return false;
    if (unit.flag && unit.command != Command::RouteExclusive)
        return false;
    if (unit.mode != sfp::scpi::Mode::Asynchronous && unit.command != Command::RouteMode)
        return false;
    switch (unit.command) {
    case Command::Ese:
    case Command::Sre:
        return unit.number >= 0 && unit.number <= 255;
    case Command::Sav:
    case Command::Rcl:
        return unit.number >= 0 && unit.number <= 9;
    case Command::StatusOperationEnable:
    case Command::StatusQuestionableEnable:
        return unit.number >= 0 && unit.number <= 65535;
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
