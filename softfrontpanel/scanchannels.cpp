// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "scanchannels.h"

#include "cardscan.h"
#include "relays.h"
#include "translation.h"

#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace sfp::scanChannels {

namespace {

const char context[] = "ScanChannels";

bool isDelimiter(QChar c)
{
    return c.isSpace() || c == QLatin1Char(',') || c == QLatin1Char(':') || c == QLatin1Char('(')
        || c == QLatin1Char(')');
}

// Reads the text one entry after the other; the first fault ends it.
class Reader
{
public:
    explicit Reader(const QString &text)
        : m_text(text)
    { }

    Reading read();

private:
    void skipSpaces()
    {
        while (m_at < m_text.size() && m_text[m_at].isSpace())
            ++m_at;
    }
    QChar next() const { return m_at < m_text.size() ? m_text[m_at] : QChar(); }
    // The word at the reading place, or its one delimiter.
    QString wordAt() const
    {
        qsizetype end = m_at;
        while (end < m_text.size() && !isDelimiter(m_text[end]))
            ++end;
        return end > m_at ? m_text.mid(m_at, end - m_at) : QString(next());
    }
    // A channel's number at the reading place, or 0 with the error set.
    int channel();
    // A channel or a range of them, appended to `channels`.
    bool range(QList<int> *channels);
    bool fail(const char *text, const QString &arg = QString())
    {
        m_reading.error = translate(context, text);
        if (!arg.isNull())
            m_reading.error = m_reading.error.arg(arg);
        return false;
    }

    const QString &m_text;
    qsizetype m_at = 0;
    Reading m_reading;
};

int Reader::channel()
{
    const qsizetype start = m_at;
    while (m_at < m_text.size() && !isDelimiter(m_text[m_at]))
        ++m_at;
    const QString word = m_text.mid(start, m_at - start);
    if (word.isEmpty()) {
        if (m_at >= m_text.size())
            fail(QT_TRANSLATE_NOOP("ScanChannels", "A channel is missing at the end"));
        else
            //: %1 is what follows in the list where a channel should be
            fail(QT_TRANSLATE_NOOP("ScanChannels", "A channel is missing before \"%1\""),
                 QString(m_text[m_at]));
        return 0;
    }
    // Digits only: a sign or a letter is no channel; a number too long to
    // read is no channel of the card either.
    const bool digits = std::all_of(word.begin(), word.end(), [](QChar c) { return c.isDigit(); });
    const int number = digits && word.size() <= 9 ? word.toInt() : 0;
    if (!digits) {
        //: %1 is the text that was typed
        fail(QT_TRANSLATE_NOOP("ScanChannels", "\"%1\" is not a channel: channels are 1 to 32"),
             word);
        return 0;
    }
    if (number < 1 || number > relayCount) {
        fail(QT_TRANSLATE_NOOP("ScanChannels", "The card has no channel %1: channels are 1 to 32"),
             word);
        return 0;
    }
    return number;
}

bool Reader::range(QList<int> *channels)
{
    const int first = channel();
    if (first == 0)
        return false;
    skipSpaces();
    if (next() != QLatin1Char(':')) {
        channels->append(first);
        return true;
    }
    ++m_at;
    skipSpaces();
    const int last = channel();
    if (last == 0)
        return false;
    const int direction = last >= first ? 1 : -1;
    for (int relay = first; relay != last + direction; relay += direction)
        channels->append(relay);
    return true;
}

Reading Reader::read()
{
    bool entryDue = true; // after the start, a comma or an opening parenthesis
    bool inGroup = false;
    QList<int> group;
    skipSpaces();
    if (m_at >= m_text.size())
        return m_reading;
    while (true) {
        skipSpaces();
        const QChar c = next();
        if (c.isNull()) {
            if (inGroup) {
                fail(QT_TRANSLATE_NOOP("ScanChannels", "A group is not closed: \")\" is missing"));
                break;
            }
            if (entryDue)
                fail(QT_TRANSLATE_NOOP("ScanChannels", "A channel is missing at the end"));
            break;
        }
        if (c == QLatin1Char(',')) {
            if (entryDue) {
                fail(QT_TRANSLATE_NOOP("ScanChannels", "A channel is missing before \"%1\""),
                     QStringLiteral(","));
                break;
            }
            entryDue = true;
            ++m_at;
            continue;
        }
        if (c == QLatin1Char(')') && !inGroup) {
            fail(QT_TRANSLATE_NOOP("ScanChannels", "\")\" closes no group"));
            break;
        }
        if (!entryDue) {
            //: %1 is what follows an entry without a comma between
            fail(QT_TRANSLATE_NOOP("ScanChannels", "A comma is missing before \"%1\""), wordAt());
            break;
        }
        if (c == QLatin1Char('(')) {
            if (inGroup) {
                fail(QT_TRANSLATE_NOOP("ScanChannels", "A group cannot hold another group"));
                break;
            }
            inGroup = true;
            group.clear();
            ++m_at;
            continue;
        }
        if (c == QLatin1Char(')')) {
            if (group.isEmpty()) {
                fail(QT_TRANSLATE_NOOP("ScanChannels", "A group is empty"));
                break;
            }
            fail(QT_TRANSLATE_NOOP("ScanChannels", "A channel is missing before \"%1\""),
                 QStringLiteral(")"));
            break;
        }
        QList<int> channels;
        if (!range(&channels))
            break;
        if (inGroup) {
            for (int relay : std::as_const(channels)) {
                if (group.contains(relay)) {
                    //: %1 is a channel's number
                    fail(QT_TRANSLATE_NOOP("ScanChannels", "Channel %1 is twice in one group"),
                         QString::number(relay));
                    return m_reading;
                }
                group.append(relay);
            }
            skipSpaces();
            if (next() != QLatin1Char(')')) {
                // A comma before the group's next channel, or a fault:
                // the next turn reads it.
                entryDue = false;
                continue;
            }
            ++m_at;
            inGroup = false;
            m_reading.steps.append(group);
        } else {
            for (int relay : std::as_const(channels))
                m_reading.steps.append(QList<int> {relay});
        }
        if (m_reading.steps.size() > ScanSettings::maxSteps) {
            //: %1 is the most steps a scan may have
            fail(QT_TRANSLATE_NOOP("ScanChannels", "A scan has at most %1 steps"),
                 QString::number(ScanSettings::maxSteps));
            break;
        }
        entryDue = false;
    }
    if (!m_reading.error.isEmpty())
        m_reading.steps.clear();
    return m_reading;
}

// How many of `channels` from `at` go up or down by one each time.
qsizetype runLength(const QList<int> &channels, qsizetype at)
{
    if (at + 1 >= channels.size() || std::abs(channels[at + 1] - channels[at]) != 1)
        return 1;
    const int direction = channels[at + 1] - channels[at];
    qsizetype end = at + 1;
    while (end + 1 < channels.size() && channels[end + 1] - channels[end] == direction)
        ++end;
    return end - at + 1;
}

// Channels with their runs written as ranges: "1:3,7".
QString writeRuns(const QList<int> &channels)
{
    QStringList entries;
    for (qsizetype at = 0; at < channels.size();) {
        const qsizetype run = runLength(channels, at);
        entries.append(run >= 2
                           ? QStringLiteral("%1:%2").arg(channels[at]).arg(channels[at + run - 1])
                           : QString::number(channels[at]));
        at += run;
    }
    return entries.join(QLatin1Char(','));
}

} // namespace

Reading read(const QString &text)
{
    return Reader(text).read();
}

QString write(const QList<QList<int>> &steps)
{
    QStringList entries;
    QList<int> singles; // a run of steps of one channel each
    for (const QList<int> &step : steps) {
        if (step.size() == 1) {
            singles.append(step[0]);
            continue;
        }
        if (!singles.isEmpty())
            entries.append(writeRuns(std::exchange(singles, {})));
        entries.append(QStringLiteral("(%1)").arg(writeRuns(step)));
    }
    if (!singles.isEmpty())
        entries.append(writeRuns(singles));
    return entries.join(QLatin1Char(','));
}

} // namespace sfp::scanChannels
