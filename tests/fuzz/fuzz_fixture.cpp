// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Fuzzes the fixture reader: any text gives either one error line with a
// place and nothing of the fixture, or a fixture whose every part keeps
// the format's promises (relays 1 to 32, each once and ascending, labels
// and names of 1 to 30 characters on one line, names given once, states
// that keep their own exclusive rule, sequences the card session would
// keep itself); the rules then judge any card.
#include "fixture.h"

#include <QByteArray>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

bool oneLine(const QString &text)
{
    return !text.isEmpty() && !text.contains(QLatin1Char('\n'));
}

bool goodText(const QString &text)
{
    const qsizetype characters = text.toUcs4().size();
    if (characters < 1 || characters > sfp::Fixture::labelLength)
        return false;
    return std::none_of(text.begin(), text.end(),
                        [](QChar c) { return c.category() == QChar::Other_Control; });
}

bool goodRelays(const QList<int> &relays)
{
    for (qsizetype i = 0; i < relays.size(); ++i) {
        if (relays[i] < 1 || relays[i] > 32 || (i > 0 && relays[i - 1] >= relays[i]))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const sfp::fixture::Reading reading = sfp::fixture::parse(bytes);
    for (const QString &warning : reading.warnings)
        require(oneLine(warning) && warning.startsWith(QLatin1Char('/')));
    if (!reading.error.isEmpty()) {
        require(oneLine(reading.error));
        require(reading.error.startsWith(QLatin1Char('/'))
                || reading.error.startsWith(QLatin1String("line ")));
        require(reading.fixture == sfp::Fixture());
        return 0;
    }

    const sfp::Fixture &fixture = reading.fixture;
    for (const QString &label : fixture.labels)
        require(label.isEmpty() || goodText(label));
    QStringList names;
    for (const sfp::FixtureRule &rule : fixture.rules) {
        require(goodText(rule.name) && !names.contains(rule.name));
        names.append(rule.name);
        require(goodRelays(rule.relays));
        require(rule.relays.size() >= (rule.kind == sfp::FixtureRule::Kind::Mutual ? 2 : 1));
    }
    for (const qint64 cycles : fixture.ratedCycles)
        require(cycles >= 0);
    require(fixture.warningPercent >= 1 && fixture.warningPercent <= 100);
    names.clear();
    for (const sfp::FixtureState &state : fixture.states) {
        require(goodText(state.name) && !names.contains(state.name));
        names.append(state.name);
        require(state.state.pairBreakingExclusiveRule() == 0);
    }
    names.clear();
    for (const sfp::FixtureSequence &sequence : fixture.sequences) {
        require(goodText(sequence.name) && !names.contains(sequence.name));
        names.append(sequence.name);
        require(sfp::fixture::sequenceProblem(sequence).isEmpty());
    }

    // The rules judge a card made of the input's first bytes: a rule is
    // broken exactly where its relays say so.
    std::array<bool, 32> closed = {};
    for (size_t i = 0; i < closed.size() && i < size; ++i)
        closed[i] = (data[i] & 1U) != 0;
    const QString broken = sfp::brokenRule(fixture.rules, closed);
    bool anyBroken = false;
    for (const sfp::FixtureRule &rule : fixture.rules) {
        int count = 0;
        for (int relay : rule.relays)
            count += closed[size_t(relay - 1)] ? 1 : 0;
        anyBroken = anyBroken || count > (rule.kind == sfp::FixtureRule::Kind::Mutual ? 1 : 0);
    }
    require(broken.isEmpty() != anyBroken);
    return 0;
}
