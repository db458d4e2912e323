// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The SCPI command parser: a single pass over the line, without recursion,
// that looks at each byte a bounded number of times, so that no input can
// make it slow or deep.
#include "scpiparser.h"

#include "scpigrammar.h"
#include "scpiprogramdata.h"

namespace sfp::scpi {

namespace {

using namespace grammar;

using namespace programData;

// Headers ------------------------------------------------------------------

struct Header
{
    int error = NoError;
    Command command = Command::None;
    bool common = false;
    int path = rootNode; // the path for the next unit
};

Header readCommonHeader(Reader &in)
{
    Header header;
    header.common = true;
    const QByteArrayView mnemonic = in.takeMnemonic();
    if (mnemonic.isEmpty()) {
        header.error = SyntaxError;
        return header;
    }
    const bool query = in.take('?');
    if (!in.atUnitEnd() && !isWhitespace(in.peek())) {
        header.error = SyntaxError;
        return header;
    }
    header.error = UndefinedHeader;
    for (const CommonCommand &common : commonCommands) {
        if (common.query == query
            && mnemonic.compare(QByteArrayView(common.mnemonic), Qt::CaseInsensitive) == 0) {
            header.command = common.command;
            header.error = NoError;
            break;
        }
    }
    return header;
}

int findChild(int parent, QByteArrayView typed)
{
    for (int i = 0; i < int(headerTree.size()); ++i) {
        if (headerTree.at(i).parent == parent && matchesName(typed, headerTree.at(i).name))
            return i;
    }
    return -1;
}

int optionalChild(int parent)
{
    for (int i = 0; i < int(headerTree.size()); ++i) {
        if (headerTree.at(i).parent == parent && headerTree.at(i).optional)
            return i;
    }
    return -1;
}

// A compound header: the whole header is read first, so that a syntax
// error in it counts before an unknown mnemonic.
Header readCompoundHeader(Reader &in, int path)
{
    Header header;
    int node = in.take(':') ? rootNode : path;
    bool defined = true;
    bool suffix = false;
    do {
        QByteArrayView mnemonic = in.takeMnemonic();
        if (mnemonic.isEmpty()) {
            header.error = SyntaxError;
            return header;
        }
        while (isDigit(mnemonic.back())) {
            mnemonic.chop(1);
            suffix = true;
        }
        if (defined) {
            const int child = findChild(node, mnemonic);
            defined = child >= 0;
            if (defined)
                node = child;
        }
    } while (in.take(':'));
    const bool query = in.take('?');
    if (!in.atUnitEnd() && !isWhitespace(in.peek())) {
        header.error = SyntaxError;
        return header;
    }
    if (!defined) {
        header.error = UndefinedHeader;
        return header;
    }
    // The path stays at the parent of the last node typed, optional nodes
    // left out do not count.
    header.path = headerTree.at(node).parent;
    Command command = Command::None;
    for (int resolved = node; resolved >= 0 && command == Command::None;
         resolved = optionalChild(resolved))
        command = query ? headerTree.at(resolved).query : headerTree.at(resolved).command;
    if (command == Command::None)
        header.error = UndefinedHeader;
    else if (suffix)
        header.error = HeaderSuffixOutOfRange;
    header.command = command;
    return header;
}

// Parameters ---------------------------------------------------------------

int readBoolean(Reader &in, DataKind kind, bool &flag)
{
    if (kind == DataKind::Number) {
        DecimalNumber number;
        if (!readNumber(in, number))
            return SyntaxError;
        flag = roundsToNonZero(number);
        return NoError;
    }
    if (kind != DataKind::Word)
        return DataTypeError;
    const QByteArrayView word = in.takeMnemonic();
    flag = word.compare(QByteArrayView("ON"), Qt::CaseInsensitive) == 0;
    if (flag || word.compare(QByteArrayView("OFF"), Qt::CaseInsensitive) == 0)
        return NoError;
    return IllegalParameterValue;
}

int readMode(Reader &in, DataKind kind, Mode &mode)
{
    if (kind != DataKind::Word)
        return DataTypeError;
    const QByteArrayView word = in.takeMnemonic();
    for (const ModeName &name : modeNames) {
        if (matchesName(word, name.name)) {
            mode = name.mode;
            return NoError;
        }
    }
    return IllegalParameterValue;
}

int readTriggerSource(Reader &in, DataKind kind, TriggerSource &source)
{
    if (kind != DataKind::Word)
        return DataTypeError;
    const QByteArrayView word = in.takeMnemonic();
    for (const TriggerSourceName &name : triggerSourceNames) {
        if (matchesName(word, name.name)) {
            source = name.source;
            return NoError;
        }
    }
    return IllegalParameterValue;
}

// MINimum or MAXimum as the parameter's bounds; false for any other word.
bool readBound(QByteArrayView word, const Parameter &parameter, int &value)
{
    if (matchesName(word, minimumName))
        value = parameter.minimum;
    else if (matchesName(word, maximumName))
        value = parameter.maximum;
    else
        return false;
    return true;
}

// A count of sweeps: INFinity is 0, which no count given as a number is.
int readCount(Reader &in, DataKind kind, const Parameter &parameter, int &count)
{
    if (kind == DataKind::Number)
        return readInteger(in, parameter.minimum, parameter.maximum, count);
    if (kind != DataKind::Word)
        return DataTypeError;
    const QByteArrayView word = in.takeMnemonic();
    if (matchesName(word, infinityName)) {
        count = 0;
        return NoError;
    }
    return readBound(word, parameter, count) ? NoError : IllegalParameterValue;
}

int readSeconds(Reader &in, DataKind kind, const Parameter &parameter, int &milliseconds)
{
    if (kind == DataKind::Number)
        return readMilliseconds(in, parameter.minimum, parameter.maximum, milliseconds);
    if (kind != DataKind::Word)
        return DataTypeError;
    return readBound(in.takeMnemonic(), parameter, milliseconds) ? NoError : IllegalParameterValue;
}

int readChannels(Reader &in, DataKind kind, QList<int> &channels)
{
    return kind == DataKind::ChannelList ? readChannelList(in, channels) : DataTypeError;
}

int readText(Reader &in, DataKind kind, QString &text)
{
    return kind == DataKind::String ? readString(in, text) : DataTypeError;
}

// Up to the second parameter of a command that takes two, past their comma.
int readToSecond(Reader &in, DataKind &kind)
{
    in.skipWhitespace();
    if (!in.take(','))
        return in.atUnitEnd() ? MissingParameter : SyntaxError;
    in.skipWhitespace();
    if (in.atUnitEnd())
        return MissingParameter;
    kind = dataKind(in);
    return kind == DataKind::Invalid ? SyntaxError : NoError;
}

int readParameter(Reader &in, const Parameter &parameter, Unit &unit)
{
    const DataKind kind = dataKind(in);
    if (kind == DataKind::Invalid)
        return SyntaxError;
    DataKind second = DataKind::Invalid;
    int error = NoError;
    switch (parameter.kind) {
    case ParameterKind::Number:
        if (kind != DataKind::Number)
            return DataTypeError;
        return readInteger(in, parameter.minimum, parameter.maximum, unit.number);
    case ParameterKind::Count:
        return readCount(in, kind, parameter, unit.number);
    case ParameterKind::Boolean:
        return readBoolean(in, kind, unit.flag);
    case ParameterKind::Mode:
        return readMode(in, kind, unit.mode);
    case ParameterKind::TriggerSource:
        return readTriggerSource(in, kind, unit.triggerSource);
    case ParameterKind::Seconds:
        return readSeconds(in, kind, parameter, unit.milliseconds);
    case ParameterKind::Channels:
        return readChannels(in, kind, unit.channels);
    case ParameterKind::ScanList:
        return kind == DataKind::ChannelList ? readScanList(in, unit.steps) : DataTypeError;
    case ParameterKind::Text:
        return readText(in, kind, unit.text);
    case ParameterKind::TextAndChannels:
        error = readText(in, kind, unit.text);
        if (error == NoError)
            error = readToSecond(in, second);
        return error != NoError ? error : readChannels(in, second, unit.channels);
    case ParameterKind::SecondsAndChannels:
        error = readSeconds(in, kind, parameter, unit.milliseconds);
        if (error == NoError)
            error = readToSecond(in, second);
        return error != NoError ? error : readChannels(in, second, unit.channels);
    case ParameterKind::TextAndText:
        error = readText(in, kind, unit.text);
        if (error == NoError)
            error = readToSecond(in, second);
        return error != NoError ? error : readText(in, second, unit.commands);
    case ParameterKind::None:
        break;
    }
    return ParameterNotAllowed;
}

// The data of a unit whose header is read, up to its end.
int readData(Reader &in, Unit &unit)
{
    const bool separated = !in.atEnd() && isWhitespace(in.peek());
    in.skipWhitespace();
    const bool hasData = separated && !in.atUnitEnd();
    const Parameter parameter = parameterOf(unit.command);
    if (parameter.kind == ParameterKind::None)
        return hasData ? ParameterNotAllowed : NoError;
    if (!hasData && parameter.withoutData != Command::None) {
        unit.command = parameter.withoutData;
        return NoError;
    }
    if (!hasData)
        return MissingParameter;
    const int error = readParameter(in, parameter, unit);
    if (error != NoError)
        return error;
    in.skipWhitespace();
    if (in.atUnitEnd())
        return NoError;
    return in.peek() == ',' ? ParameterNotAllowed : SyntaxError;
}

Unit errorUnit(int error)
{
    Unit unit;
    unit.error = error;
    return unit;
}

// One unit from its first byte up to its separator or the end of the line.
Unit readUnit(Reader &in, int &path)
{
    const Header header = in.take('*') ? readCommonHeader(in) : readCompoundHeader(in, path);
    if (header.error != NoError)
        return errorUnit(header.error);
    Unit unit;
    unit.command = header.command;
    const int error = readData(in, unit);
    if (error != NoError)
        return errorUnit(error);
    if (!header.common)
        path = header.path;
    return unit;
}

} // namespace

QList<Unit> parseLine(QByteArrayView line)
{
    QList<Unit> units;
    Reader in(line);
    int path = rootNode;
    in.skipWhitespace();
    while (!in.atEnd()) {
        units.append(readUnit(in, path));
        if (units.constLast().error != NoError)
            break;
        // readUnit stops at the separator or at the end; a separator at the
        // end of the line is allowed.
        in.take(';');
        in.skipWhitespace();
    }
    return units;
}

QByteArray errorString(int error, const QString &reason)
{
    return errorString(error).chopped(1) + ';' + stringData(reason).mid(1);
}

QByteArray stringData(const QString &text)
{
    return '"' + text.toUtf8().replace('"', "\"\"") + '"';
}

} // namespace sfp::scpi
