// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// A plain model of the order in which found resources are listed, written
// apart from the program's own code so that the tests can hold the two
// against each other: descriptors of different interface words as texts,
// TCP/IP by board and dotted address, the board-only words by board, any
// other word as text.
#pragma once

#include <QList>
#include <QString>

#include <algorithm>
#include <tuple>

namespace descriptormodel {

// Text order of two descriptors: code unit by code unit, a prefix first.
inline bool textBefore(const QString &a, const QString &b)
{
    for (qsizetype i = 0; i < a.size() && i < b.size(); ++i) {
        if (a.at(i).unicode() != b.at(i).unicode())
            return a.at(i).unicode() < b.at(i).unicode();
    }
    return a.size() < b.size();
}

// What C's sscanf("%d") reads at `at`: white space, a sign, then at least
// one digit. A number beyond int's range is taken as its nearest end.
inline bool scanNumber(const QString &text, qsizetype &at, long long *value)
{
    qsizetype i = at;
    auto isSpace = [](char16_t c) {
        return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
    };
    while (i < text.size() && isSpace(text.at(i).unicode()))
        ++i;
    long long sign = 1;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+')) {
        sign = text.at(i) == u'-' ? -1 : 1;
        ++i;
    }
    const qsizetype first = i;
    long long magnitude = 0;
    for (; i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9'; ++i)
        magnitude = std::min(magnitude * 10 + (text.at(i).unicode() - u'0'), 10'000'000'000LL);
    if (i == first)
        return false;
    *value = std::clamp(sign * magnitude, -2147483648LL, 2147483647LL);
    at = i;
    return true;
}

struct Reading
{
    QString word; // leading ASCII letters, upper case
    long long board = 0;
    long long parts[4] = {0, 0, 0, 0};
};

inline Reading read(const QString &descriptor)
{
    Reading r;
    qsizetype at = 0;
    while (at < descriptor.size()) {
        const char16_t c = descriptor.at(at).unicode();
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
            break;
        r.word += QChar(c >= u'a' ? char16_t(c - u'a' + u'A') : c);
        ++at;
    }
    if (!scanNumber(descriptor, at, &r.board) || r.word != QLatin1String("TCPIP"))
        return r;
    // "::%d.%d.%d.%d", as far as it matches.
    if (descriptor.mid(at, 2) != QLatin1String("::"))
        return r;
    at += 2;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (at >= descriptor.size() || descriptor.at(at) != u'.')
                return r;
            ++at;
        }
        if (!scanNumber(descriptor, at, &r.parts[part]))
            return r;
    }
    return r;
}

inline bool byBoardOnly(const QString &word)
{
    static const char *const words[] = {"VXI", "GPIB", "SOCKET", "BACKPLANE", "PXI", "ASRL"};
    return std::any_of(std::begin(words), std::end(words),
                       [&word](const char *w) { return word == QLatin1String(w); });
}

// Whether `a` is listed before `b`.
inline bool before(const QString &a, const QString &b)
{
    const Reading x = read(a);
    const Reading y = read(b);
    if (x.word != y.word)
        return textBefore(a, b);
    if (x.word == QLatin1String("TCPIP"))
        return std::tie(x.board, x.parts[0], x.parts[1], x.parts[2], x.parts[3])
            < std::tie(y.board, y.parts[0], y.parts[1], y.parts[2], y.parts[3]);
    if (byBoardOnly(x.word))
        return x.board < y.board;
    return textBefore(a, b);
}

// Removes items from a failing case for as long as it keeps failing: first
// halves, then ever smaller runs, down to single items. `fails` must be
// true for `items`; the smallest failing list found is returned.
template<typename T, typename Fails>
QList<T> shrink(QList<T> items, Fails fails)
{
    for (qsizetype chunk = items.size() / 2; chunk >= 1; chunk /= 2) {
        bool removed = true;
        while (removed) {
            removed = false;
            for (qsizetype start = 0; start + chunk <= items.size(); start += chunk) {
                QList<T> smaller = items;
                smaller.remove(start, chunk);
                if (!smaller.isEmpty() && fails(smaller)) {
                    items = smaller;
                    removed = true;
                    break;
                }
            }
        }
    }
    return items;
}

} // namespace descriptormodel
