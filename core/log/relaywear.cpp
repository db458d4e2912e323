// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "relaywear.h"

#include "fixture.h"
#include "smallfile.h"
#include "userfolders.h"

#include <nlohmann/json.hpp>

#include <QDir>

using nlohmann::json;

namespace sfp {

namespace {

// A counter file holds 32 numbers: anything larger is not one.
constexpr qint64 maxFileSize = qint64(64) * 1024;
// How long a count may wait unwritten: what a crash may lose.
constexpr int saveDelayMs = 1000;

} // namespace

RelayWear::RelayWear(QObject *parent)
    : QObject(parent)
{
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(saveDelayMs);
    connect(&m_saveTimer, &QTimer::timeout, this, [this] { flush(); });
}

RelayWear::~RelayWear()
{
    if (m_unsaved)
        flush();
}

QString RelayWear::defaultFolder()
{
    return QDir::cleanPath(userFolders::stateHome() + QStringLiteral("/qx5170fp"));
}

QString RelayWear::fileName(const QString &folder, const QString &cardId)
{
    return userFolders::cardFolder(folder, cardId) + QStringLiteral("/relay-cycles.json");
}

QString RelayWear::open(const QString &path)
{
    m_path.clear();
    m_cycles = {};
    bool absent = false;
    QString why;
    const QByteArray text = readSmallFile(path, maxFileSize, &absent, &why);
    if (absent) {
        m_path = path;
        return {};
    }
    if (!why.isEmpty())
        return path + QLatin1Char(' ') + why;
    const json document = json::parse(text.begin(), text.end(), nullptr, false);
    const auto notCounts = [&path](const char *reason) {
        return path + QStringLiteral(" is not a counter file: ") + QLatin1String(reason);
    };
    if (document.is_discarded())
        return notCounts("not JSON");
    if (!document.is_object() || !document.contains("cycles"))
        return notCounts("no \"cycles\" in a JSON object");
    const json &cycles = document["cycles"];
    if (!cycles.is_array() || cycles.size() != size_t(relayCount))
        return notCounts("\"cycles\" is not a list of 32 counts");
    std::array<qint64, relayCount> read = {};
    for (size_t i = 0; i < read.size(); ++i) {
        if (!cycles[i].is_number_unsigned() || cycles[i].get<quint64>() > quint64(INT64_MAX))
            return notCounts("a count is not a whole number of 0 or more");
        read[i] = cycles[i].get<qint64>();
    }
    m_cycles = read;
    m_path = path;
    return {};
}

qint64 RelayWear::cycles(int relay) const
{
    return relay >= 1 && relay <= relayCount ? m_cycles[size_t(relay - 1)] : 0;
}

void RelayWear::countClosing(int relay)
{
    if (!isOpen() || relay < 1 || relay > relayCount)
        return;
    ++m_cycles[size_t(relay - 1)];
    m_unsaved = true;
    if (!m_saveTimer.isActive())
        m_saveTimer.start();
    emit cyclesChanged(relay);
}

QString RelayWear::clear(const QList<int> &relays)
{
    if (!isOpen())
        return {};
    std::array<qint64, relayCount> cleared = m_cycles;
    for (int relay : relays) {
        if (relay >= 1 && relay <= relayCount)
            cleared[size_t(relay - 1)] = 0;
    }
    if (cleared == m_cycles)
        return m_unsaved ? flush() : QString();
    // The file first: a count cleared only in memory would be back at the
    // next start, and the client told it failed would see it gone now.
    QString why = write(cleared);
    if (!why.isEmpty())
        return why;
    const std::array<qint64, relayCount> before = m_cycles;
    m_cycles = cleared;
    m_unsaved = false;
    m_saveTimer.stop();
    for (int relay = 1; relay <= relayCount; ++relay) {
        if (before[size_t(relay - 1)] != cleared[size_t(relay - 1)])
            emit cyclesChanged(relay);
    }
    return {};
}

QString RelayWear::flush()
{
    m_saveTimer.stop();
    if (!isOpen() || !m_unsaved)
        return {};
    QString why = write(m_cycles);
    if (!why.isEmpty())
        return why;
    m_unsaved = false;
    return {};
}

QString RelayWear::write(const std::array<qint64, relayCount> &cycles)
{
    QByteArray text = QByteArrayLiteral("{\"cycles\":[");
    for (size_t i = 0; i < cycles.size(); ++i) {
        if (i > 0)
            text += ',';
        text += QByteArray::number(cycles[i]);
    }
    text += "]}\n";
    QString why = replaceFile(m_path, text);
    if (!why.isEmpty()) {
        // Kept waiting: the next count tries again.
        if (!m_failureSaid)
            emit writeFailed(m_path + QLatin1Char(' ') + why);
        m_failureSaid = true;
        return why;
    }
    m_failureSaid = false;
    return {};
}

RelayWear::Level RelayWear::level(qint64 cycles, qint64 ratedCycles, int warningPercent)
{
    if (ratedCycles <= 0)
        return Level::Fresh;
    if (cycles >= ratedCycles)
        return Level::Worn;
    // cycles / rated >= percent / 100, without the product's overflow for
    // any rated life a fixture may give.
    const qint64 warningAt
        = ratedCycles / 100 * warningPercent + (ratedCycles % 100 * warningPercent + 99) / 100;
    return cycles >= warningAt ? Level::Warning : Level::Fresh;
}

RelayWear::Level RelayWear::level(int relay, const Fixture &fixture) const
{
    if (relay < 1 || relay > relayCount)
        return Level::Fresh;
    return level(m_cycles[size_t(relay - 1)], fixture.ratedCycles[size_t(relay - 1)],
                 fixture.warningPercent);
}

int RelayWear::questionableCondition(const Fixture &fixture) const
{
    for (int relay = 1; relay <= relayCount; ++relay) {
        if (level(relay, fixture) != Level::Fresh)
            return questionableBit;
    }
    return 0;
}

} // namespace sfp
