// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "sfpcoretest.h"

#include "platformlibraries.h"

#include "sim_control.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace sfptest {

namespace {

// The status of a child process nobody registered (sfptest.h's
// childUnknownStatus): either way the run could not start what it was
// asked to.
constexpr int standInsMissingStatus = 98;

} // namespace

void useSimulatedPlatform()
{
    sfp::platform::Search search;
    search.simulate = true;
    search.linker = false;
    search.simulatedFolders = {QStringLiteral(SFP_STAND_IN_DIR)};
    const sfp::platform::Loaded loaded = sfp::platform::load(search);
    if (!loaded.ok) {
        std::fprintf(stderr, "sfptest: the stand-ins cannot be loaded: %s\n",
                     qPrintable(loaded.error));
        std::exit(standInsMissingStatus);
    }
}

namespace {

QStringList filtered(const QStringList &lines, const QStringList &prefixes)
{
    if (prefixes.isEmpty())
        return lines;
    QStringList kept;
    for (const QString &line : lines) {
        for (const QString &prefix : prefixes) {
            if (line.startsWith(prefix)) {
                kept.append(line);
                break;
            }
        }
    }
    return kept;
}

QStringList allTraceLines()
{
    const std::vector<std::string> lines = sfpsim::traceLines();
    QStringList converted;
    converted.reserve(qsizetype(lines.size()));
    for (const std::string &line : lines)
        converted.append(QString::fromStdString(line));
    return converted;
}

} // namespace

QStringList trace(const QStringList &prefixes)
{
    return filtered(allTraceLines(), prefixes);
}

__attribute__((noinline)) void dirtyStack()
{
    volatile unsigned char area[256 * 1024];
    for (unsigned char &byte : const_cast<unsigned char(&)[256 * 1024]>(area))
        byte = 0xA5;
}

void clearTrace()
{
    sfpsim::clearTrace();
}

QStringList traceFile(const QString &path, const QStringList &prefixes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QStringList();
    QStringList lines;
    while (!file.atEnd()) {
        QString line = QString::fromUtf8(file.readLine());
        if (line.endsWith(QLatin1Char('\n')))
            line.chop(1);
        lines.append(line);
    }
    return filtered(lines, prefixes);
}

TraceLog::TraceLog(const QStringList &prefixes)
    : m_prefixes(prefixes)
    , m_seen(allTraceLines().size())
{ }

void TraceLog::takeNewLines()
{
    const QStringList lines = allTraceLines();
    // A cleared trace starts counting afresh.
    if (lines.size() < m_seen)
        m_seen = 0;
    m_events.append(filtered(lines.mid(m_seen), m_prefixes));
    m_seen = lines.size();
}

void TraceLog::mark(const QString &event)
{
    takeNewLines();
    m_events.append(event);
}

QStringList TraceLog::events()
{
    takeNewLines();
    return m_events;
}

} // namespace sfptest
