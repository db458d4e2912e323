// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The SCPI command parser: a single pass over the line, without recursion,
// that looks at each byte a bounded number of times, so that no input can
// make it slow or deep.
#include "scpiparser.h"
#include "relays.h"
#include "scpigrammar.h"

#include <QStringDecoder>

namespace sfp::scpi {

namespace {

using namespace grammar;

// Characters ---------------------------------------------------------------

bool isWhitespace(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 32 && byte != '\n';
}

bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isUpper(char c)
{
    return c >= 'A' && c <= 'Z';
}

// Whether a mnemonic as typed (ASCII letters, digits, underscores) is the
// short or the long form of `name`, in any case.
bool matchesName(QByteArrayView typed, const char *name)
{
    const QByteArrayView longForm(name);
    qsizetype shortLength = 0;
    while (shortLength < longForm.size() && isUpper(longForm.at(shortLength)))
        ++shortLength;
    const QByteArrayView form
        = typed.size() == longForm.size() ? longForm : longForm.first(shortLength);
    return typed.compare(form, Qt::CaseInsensitive) == 0;
}

// Reading ------------------------------------------------------------------

class Reader
{
public:
    explicit Reader(QByteArrayView text)
        : m_text(text)
    { }

    bool atEnd() const { return m_position >= m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text.at(m_position); }
    char peekNext() const
    {
        return m_position + 1 < m_text.size() ? m_text.at(m_position + 1) : '\0';
    }
    void advance() { ++m_position; }
    bool take(char c)
    {
        if (atEnd() || m_text.at(m_position) != c)
            return false;
        ++m_position;
        return true;
    }
    void skipWhitespace()
    {
        while (!atEnd() && isWhitespace(m_text.at(m_position)))
            ++m_position;
    }
    qsizetype skipDigits()
    {
        const qsizetype start = m_position;
        while (!atEnd() && isDigit(m_text.at(m_position)))
            ++m_position;
        return m_position - start;
    }
    bool atUnitEnd() const { return atEnd() || peek() == ';'; }

    // A letter followed by letters, digits and underscores (IEEE 488.2's
    // program mnemonic and character data); empty if no letter is here.
    QByteArrayView takeMnemonic()
    {
        if (!isLetter(peek()))
            return {};
        const qsizetype start = m_position;
        while (!atEnd()
               && (isLetter(m_text.at(m_position)) || isDigit(m_text.at(m_position))
                   || m_text.at(m_position) == '_'))
            ++m_position;
        return m_text.sliced(start, m_position - start);
    }

    QByteArrayView sliceFrom(qsizetype start) const
    {
        return m_text.sliced(start, m_position - start);
    }
    qsizetype position() const { return m_position; }

private:
    QByteArrayView m_text;
    qsizetype m_position = 0;
};

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

// A decimal number (IEEE 488.2 NRf) as written: sign, the digits before and
// after the point, and the exponent, saturated far beyond any int.
struct DecimalNumber
{
    bool negative = false;
    QByteArrayView integerDigits;
    QByteArrayView fractionDigits;
    qint64 exponent = 0;

    // The digits before and after the point as one string.
    qsizetype length() const { return integerDigits.size() + fractionDigits.size(); }
    char digit(qsizetype i) const
    {
        return i < integerDigits.size() ? integerDigits.at(i)
                                        : fractionDigits.at(i - integerDigits.size());
    }
    // The index of the first digit that is not 0; length() for zero.
    qsizetype firstSignificant() const
    {
        qsizetype first = 0;
        while (first < length() && digit(first) == '0')
            ++first;
        return first;
    }
};

bool startsNumber(char c)
{
    return isDigit(c) || c == '+' || c == '-' || c == '.';
}

bool readNumber(Reader &in, DecimalNumber &number)
{
    if (in.take('-'))
        number.negative = true;
    else
        in.take('+');
    qsizetype start = in.position();
    in.skipDigits();
    number.integerDigits = in.sliceFrom(start);
    if (in.take('.')) {
        start = in.position();
        in.skipDigits();
        number.fractionDigits = in.sliceFrom(start);
    }
    if (number.integerDigits.isEmpty() && number.fractionDigits.isEmpty())
        return false;
    if (in.peek() == 'E' || in.peek() == 'e') {
        in.advance();
        bool negativeExponent = false;
        if (in.take('-'))
            negativeExponent = true;
        else
            in.take('+');
        start = in.position();
        if (in.skipDigits() == 0)
            return false;
        constexpr qint64 saturation = 1'000'000'000'000;
        for (const char digit : in.sliceFrom(start)) {
            if (number.exponent < saturation)
                number.exponent = number.exponent * 10 + (digit - '0');
        }
        if (negativeExponent)
            number.exponent = -number.exponent;
    }
    return true;
}

// The integral value of a number, without converting more digits than an
// int holds: DataOutOfRange beyond ten digits, IllegalParameterValue for a
// fraction.
int integralValue(const DecimalNumber &number, qint64 &value)
{
    const qsizetype length = number.length();
    const qsizetype first = number.firstSignificant();
    value = 0;
    if (first == length)
        return NoError;
    qsizetype last = length - 1;
    while (number.digit(last) == '0')
        --last;
    // value = digits first..last × 10^scale
    const qint64 scale = number.exponent - number.fractionDigits.size() + (length - 1 - last);
    if (scale < 0)
        return IllegalParameterValue;
    if (last - first + 1 + scale > 10)
        return DataOutOfRange;
    for (qsizetype i = first; i <= last; ++i)
        value = value * 10 + (number.digit(i) - '0');
    for (qint64 i = 0; i < scale; ++i)
        value *= 10;
    if (number.negative)
        value = -value;
    return NoError;
}

// Whether the number, rounded to the nearest integer (halves away from
// zero), is anything but 0, that is whether it is 0.5 or more in size.
// Decided on the first significant digit alone, so that no number is too
// long or too large for it.
bool roundsToNonZero(const DecimalNumber &number)
{
    const qsizetype first = number.firstSignificant();
    if (first == number.length())
        return false;
    // The power of ten of that digit: 0 for units, -1 for tenths.
    const qint64 place = number.exponent + (number.integerDigits.size() - 1 - first);
    return place >= 0 || (place == -1 && number.digit(first) >= '5');
}

// A number that must be an integer in minimum..maximum.
int readInteger(Reader &in, int minimum, int maximum, int &result)
{
    DecimalNumber number;
    if (!readNumber(in, number))
        return SyntaxError;
    qint64 value = 0;
    const int error = integralValue(number, value);
    if (error != NoError)
        return error;
    if (value < minimum || value > maximum)
        return DataOutOfRange;
    result = int(value);
    return NoError;
}

// What kind of program data starts with `c`.
enum class DataKind { Number, Word, ChannelList, String, Other, Invalid };

DataKind dataKind(const Reader &in)
{
    const char c = in.peek();
    if (startsNumber(c))
        return DataKind::Number;
    if (isLetter(c))
        return DataKind::Word;
    if (c == '(')
        return in.peekNext() == '@' ? DataKind::ChannelList : DataKind::Other;
    if (c == '"' || c == '\'')
        return DataKind::String;
    if (c == '#')
        return DataKind::Other; // blocks and non-decimal numbers
    return DataKind::Invalid;
}

int readChannelList(Reader &in, QList<int> &channels)
{
    in.advance();
    in.advance();
    do {
        in.skipWhitespace();
        if (!startsNumber(in.peek()))
            return SyntaxError;
        int first = 0;
        int error = readInteger(in, 1, relayCount, first);
        if (error != NoError)
            return error;
        in.skipWhitespace();
        int last = first;
        if (in.take(':')) {
            in.skipWhitespace();
            if (!startsNumber(in.peek()))
                return SyntaxError;
            error = readInteger(in, 1, relayCount, last);
            if (error != NoError)
                return error;
            in.skipWhitespace();
        }
        const int step = last >= first ? 1 : -1;
        for (int channel = first; channel != last + step; channel += step)
            channels.append(channel);
    } while (in.take(','));
    return in.take(')') ? NoError : SyntaxError;
}

// A string from its opening quote to its closing one; the quote doubled
// inside it stands for itself.
int readString(Reader &in, QString &text)
{
    const char quote = in.peek();
    in.advance();
    QByteArray bytes;
    for (;;) {
        if (in.atEnd())
            return SyntaxError;
        const char c = in.peek();
        in.advance();
        if (c == quote) {
            if (!in.take(quote))
                break;
        }
        bytes.append(c);
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    text = decoder(bytes);
    return decoder.hasError() ? IllegalParameterValue : NoError;
}

int readParameter(Reader &in, const Parameter &parameter, Unit &unit)
{
    const DataKind kind = dataKind(in);
    if (kind == DataKind::Invalid)
        return SyntaxError;
    switch (parameter.kind) {
    case ParameterKind::Number:
        if (kind != DataKind::Number)
            return DataTypeError;
        return readInteger(in, parameter.minimum, parameter.maximum, unit.number);
    case ParameterKind::Boolean:
        if (kind == DataKind::Number) {
            DecimalNumber number;
            if (!readNumber(in, number))
                return SyntaxError;
            unit.flag = roundsToNonZero(number);
            return NoError;
        }
        if (kind == DataKind::Word) {
            const QByteArrayView word = in.takeMnemonic();
            unit.flag = word.compare(QByteArrayView("ON"), Qt::CaseInsensitive) == 0;
            if (unit.flag || word.compare(QByteArrayView("OFF"), Qt::CaseInsensitive) == 0)
                return NoError;
            return IllegalParameterValue;
        }
        return DataTypeError;
    case ParameterKind::Mode: {
        if (kind != DataKind::Word)
            return DataTypeError;
        const QByteArrayView word = in.takeMnemonic();
        for (const ModeName &mode : modeNames) {
            if (matchesName(word, mode.name)) {
                unit.mode = mode.mode;
                return NoError;
            }
        }
        return IllegalParameterValue;
    }
    case ParameterKind::Channels:
        if (kind != DataKind::ChannelList)
            return DataTypeError;
        return readChannelList(in, unit.channels);
    case ParameterKind::Text:
        return kind == DataKind::String ? readString(in, unit.text) : DataTypeError;
    case ParameterKind::TextAndChannels: {
        if (kind != DataKind::String)
            return DataTypeError;
        const int error = readString(in, unit.text);
        if (error != NoError)
            return error;
        in.skipWhitespace();
        if (!in.take(','))
            return in.atUnitEnd() ? MissingParameter : SyntaxError;
        in.skipWhitespace();
        if (in.atUnitEnd())
            return MissingParameter;
        const DataKind listKind = dataKind(in);
        if (listKind == DataKind::Invalid)
            return SyntaxError;
        if (listKind != DataKind::ChannelList)
            return DataTypeError;
        return readChannelList(in, unit.channels);
    }
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
