// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Every reader here looks at each byte a bounded number of times and keeps
// no more than a bounded amount per byte, without recursion, so that no
// input can make the parser slow or deep.
#include "scpiprogramdata.h"

#include "relays.h"
#include "scpiparser.h"

#include <QStringDecoder>

namespace sfp::scpi::programData {

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

bool startsNumber(char c)
{
    return isDigit(c) || c == '+' || c == '-' || c == '.';
}

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

// Numbers ------------------------------------------------------------------

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

namespace {

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

// A number of seconds in milliseconds, rounded to the nearest one (halves
// away from zero). Only the digits from the first significant one down to
// the first below the millisecond are looked at, so that no number is too
// long or too large for it: DataOutOfRange from 10^10 ms on.
int roundedMilliseconds(const DecimalNumber &number, qint64 &value)
{
    const qsizetype length = number.length();
    const qsizetype first = number.firstSignificant();
    value = 0;
    if (first == length)
        return NoError;
    // The power of ten of the first significant digit, counted in
    // milliseconds: 0 for "0.005", 3 for "1".
    const qint64 place = number.exponent + (number.integerDigits.size() - 1 - first) + 3;
    if (place > 9)
        return DataOutOfRange;
    qsizetype i = first;
    for (qint64 power = place; power >= 0; --power, ++i)
        value = value * 10 + (i < length ? number.digit(i) - '0' : 0);
    // The digit of tenths of a millisecond; below the first significant
    // one it is a leading zero, or not written at all.
    const qint64 tenths = first + place + 1;
    if (tenths >= first && tenths < length && number.digit(tenths) >= '5')
        ++value;
    if (number.negative)
        value = -value;
    return NoError;
}

} // namespace

bool roundsToNonZero(const DecimalNumber &number)
{
    // Decided on the first significant digit alone, so that no number is
    // too long or too large for it.
    const qsizetype first = number.firstSignificant();
    if (first == number.length())
        return false;
    // The power of ten of that digit: 0 for units, -1 for tenths.
    const qint64 place = number.exponent + (number.integerDigits.size() - 1 - first);
    return place >= 0 || (place == -1 && number.digit(first) >= '5');
}

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

int readMilliseconds(Reader &in, int minimum, int maximum, int &milliseconds)
{
    DecimalNumber number;
    if (!readNumber(in, number))
        return SyntaxError;
    qint64 value = 0;
    const int error = roundedMilliseconds(number, value);
    if (error != NoError)
        return error;
    if (value < minimum || value > maximum)
        return DataOutOfRange;
    milliseconds = int(value);
    return NoError;
}

// Channel and scan lists -----------------------------------------------------

namespace {

// One entry of a list: a channel, or a range "first:last", white space
// around it skipped.
int readChannelRange(Reader &in, int &first, int &last)
{
    in.skipWhitespace();
    if (!startsNumber(in.peek()))
        return SyntaxError;
    int error = readInteger(in, 1, relayCount, first);
    if (error != NoError)
        return error;
    in.skipWhitespace();
    last = first;
    if (in.take(':')) {
        in.skipWhitespace();
        if (!startsNumber(in.peek()))
            return SyntaxError;
        error = readInteger(in, 1, relayCount, last);
        if (error != NoError)
            return error;
        in.skipWhitespace();
    }
    return NoError;
}

template<typename Visit>
void forEachChannel(int first, int last, Visit visit)
{
    const int step = last >= first ? 1 : -1;
    for (int channel = first; channel != last + step; channel += step)
        visit(channel);
}

// A group of a scan list from its "(" on: channels closed together in one
// step, so each may be named once only.
int readScanGroup(Reader &in, QList<int> &channels)
{
    in.advance();
    in.skipWhitespace();
    if (in.peek() == ')')
        return IllegalParameterValue;
    quint64 named = 0;
    do {
        in.skipWhitespace();
        if (in.peek() == '(')
            return IllegalParameterValue; // groups do not nest
        int first = 0;
        int last = 0;
        const int error = readChannelRange(in, first, last);
        if (error != NoError)
            return error;
        bool twice = false;
        forEachChannel(first, last, [&](int channel) {
            const quint64 bit = quint64(1) << channel;
            twice = twice || (named & bit) != 0;
            named |= bit;
            channels.append(channel);
        });
        if (twice)
            return IllegalParameterValue;
    } while (in.take(','));
    return in.take(')') ? NoError : SyntaxError;
}

} // namespace

int readChannelList(Reader &in, QList<int> &channels)
{
    in.advance();
    in.advance();
    do {
        int first = 0;
        int last = 0;
        const int error = readChannelRange(in, first, last);
        if (error != NoError)
            return error;
        forEachChannel(first, last, [&](int channel) { channels.append(channel); });
    } while (in.take(','));
    return in.take(')') ? NoError : SyntaxError;
}

int readScanList(Reader &in, QList<QList<int>> &steps)
{
    in.advance();
    in.advance();
    in.skipWhitespace();
    if (in.take(')'))
        return NoError; // no steps: the scan is cleared
    do {
        in.skipWhitespace();
        if (in.peek() == '(') {
            QList<int> group;
            const int error = readScanGroup(in, group);
            if (error != NoError)
                return error;
            in.skipWhitespace();
            steps.append(group);
        } else {
            int first = 0;
            int last = 0;
            const int error = readChannelRange(in, first, last);
            if (error != NoError)
                return error;
            forEachChannel(first, last, [&](int channel) { steps.append(QList<int> {channel}); });
        }
        // Checked at each entry, so that a long line cannot grow the list
        // far beyond what is refused anyway.
        if (steps.size() > maxScanSteps)
            return TooMuchData;
    } while (in.take(','));
    return in.take(')') ? NoError : SyntaxError;
}

// Strings ------------------------------------------------------------------

int readString(Reader &in, QString &text)
{
    // The quote doubled inside the string stands for itself; the other
    // quote and separators are plain characters.
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
    // Stateless, so that a character cut off at the string's end is an
    // error too, not held back for bytes that never come.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    text = decoder(bytes);
    return decoder.hasError() ? IllegalParameterValue : NoError;
}

} // namespace sfp::scpi::programData
