// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The parser's reading of a line, byte by byte: the line as a cursor, and
// the readers of the program data elements (numbers, durations, channel
// and scan lists, strings, words). Each reader starts at its element's
// first byte and returns NoError or the SCPI error number of what it read.
#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

namespace sfp::scpi::programData {

// Characters ---------------------------------------------------------------

// IEEE 488.2's white space: bytes 0..32 except the line feed.
inline bool isWhitespace(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 32 && byte != '\n';
}

inline bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

inline bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

inline bool isUpper(char c)
{
    return c >= 'A' && c <= 'Z';
}

// Whether a mnemonic as typed (ASCII letters, digits, underscores) is the
// short or the long form of `name`, in any case.
bool matchesName(QByteArrayView typed, const char *name);

// The line ---------------------------------------------------------------

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

// Program data -------------------------------------------------------------

// What kind of program data starts at the reader.
enum class DataKind { Number, Word, ChannelList, String, Other, Invalid };

DataKind dataKind(const Reader &in);

bool startsNumber(char c);

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

// False where the bytes are no number.
bool readNumber(Reader &in, DecimalNumber &number);

// Whether the number, rounded to the nearest integer (halves away from
// zero), is anything but 0.
bool roundsToNonZero(const DecimalNumber &number);

// A number that must be an integer in minimum..maximum.
int readInteger(Reader &in, int minimum, int maximum, int &result);

// A number of seconds, rounded to the nearest millisecond (halves away from
// zero), that must then be in minimum..maximum milliseconds.
int readMilliseconds(Reader &in, int minimum, int maximum, int &milliseconds);

// From "(@" to ")": channels and ranges, ranges expanded in their
// direction, each channel in 1..32.
int readChannelList(Reader &in, QList<int> &channels);

// From "(@" to ")": a scan's steps, at most maxScanSteps of them.
int readScanList(Reader &in, QList<QList<int>> &steps);

// A string from its opening quote to its closing one, UTF-8.
int readString(Reader &in, QString &text);

} // namespace sfp::scpi::programData
