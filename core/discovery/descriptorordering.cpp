// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "descriptorordering.h"

#include "resourceinfo.h"

#include <climits>

namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
        || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

bool isCSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')
        || c == QLatin1Char('\v') || c == QLatin1Char('\f') || c == QLatin1Char('\r');
}

// Reads an integer the way the C library's %d does (leading white space,
// optional sign, decimal digits), except that a digit run beyond the range
// of int saturates instead of being undefined. Advances pos past what was
// read; returns false when no integer can be read there.
bool readInt(const QString &text, qsizetype &pos, int *value)
{
    qsizetype i = pos;
    while (i < text.size() && isCSpace(text.at(i)))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    const qsizetype digitsStart = i;
    long long magnitude = 0;
    while (i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9')) {
        if (magnitude <= static_cast<long long>(INT_MAX) + 1)
            magnitude = magnitude * 10 + (text.at(i).unicode() - '0');
        ++i;
    }
    if (i == digitsStart)
        return false;
    if (negative)
        *value = magnitude > static_cast<long long>(INT_MAX) + 1 ? INT_MIN
                                                                 : static_cast<int>(-magnitude);
    else
        *value = magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
    pos = i;
    return true;
}

bool readLiteral(const QString &text, qsizetype &pos, QLatin1String literal)
{
    if (!QStringView(text).mid(pos, literal.size()).startsWith(literal))
        return false;
    pos += literal.size();
    return true;
}

bool comparesBoardOnly(const QString &word)
{
    return word == QLatin1String("VXI") || word == QLatin1String("GPIB")
        || word == QLatin1String("SOCKET") || word == QLatin1String("BACKPLANE")
        || word == QLatin1String("PXI") || word == QLatin1String("ASRL");
}

} // namespace

sfp::DescriptorKey sfp::descriptorKey(const QString &descriptor)
{
    DescriptorKey key;
    qsizetype pos = 0;
    while (pos < descriptor.size() && isAsciiLetter(descriptor.at(pos)))
        ++pos;
    key.interfaceWord = descriptor.left(pos).toUpper();

    if (!readInt(descriptor, pos, &key.board))
        return key;
    if (key.interfaceWord != QLatin1String("TCPIP")
        || !readLiteral(descriptor, pos, QLatin1String("::")))
        return key;
    for (size_t part = 0; part < key.address.size(); ++part) {
        if (part > 0 && !readLiteral(descriptor, pos, QLatin1String(".")))
            break;
        if (!readInt(descriptor, pos, &key.address[part]))
            break;
    }
    return key;
}

// Both relations are declared to take copies, as they always have been: a
// relation then holds nothing of the list that the sort rearranges.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
bool descriptorLessThan(QString a, QString b)
{
    const sfp::DescriptorKey ka = sfp::descriptorKey(a);
    const sfp::DescriptorKey kb = sfp::descriptorKey(b);
    if (ka.interfaceWord != kb.interfaceWord)
        return a < b;
    if (ka.interfaceWord == QLatin1String("TCPIP")) {
        if (ka.board != kb.board)
            return ka.board < kb.board;
        for (size_t part = 0; part < ka.address.size(); ++part) {
            if (ka.address[part] != kb.address[part])
                return ka.address[part] < kb.address[part];
        }
        return false;
    }
    if (comparesBoardOnly(ka.interfaceWord))
        return ka.board < kb.board;
    return a < b;
}

// Copies, as above.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
bool resourceInfoLessThan(resourceInfo_t x, resourceInfo_t y)
{
    return descriptorLessThan(x.resourceName, y.resourceName);
}

void sortResources(QList<resourceInfo_t> &resources)
{
    boundedMergeSort(resources, [](const resourceInfo_t &x, const resourceInfo_t &y) {
        return resourceInfoLessThan(x, y);
    });
}
