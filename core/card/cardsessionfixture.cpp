// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The card session's part of the fixture file: the relays' labels, the
// named states and the stored sequences, each change written to the file
// before the session takes it.
#include "cardsession.h"
#include "cardsessionwords.h"

#include <algorithm>

namespace sfp {

using cardSessionWords::refused;
using cardSessionWords::said;

QString CardSession::label(int relay) const
{
    return relay >= 1 && relay <= relayCount ? m_fixture.labels[size_t(relay - 1)] : QString();
}

Refusal CardSession::setLabels(const QList<int> &relays, const QString &text)
{
    if (Refusal locked = lockRefusal(); !locked.isNone())
        return locked;
    if (!text.isEmpty()) {
        const Said problem
            = fixture::textProblemSaid(text, said(QT_TRANSLATE_NOOP("CardSession", "a label")));
        if (!problem.isEmpty())
            return {Refusal::Kind::BadRequest, problem.english, problem.local};
    }
    std::array<QString, relayCount> labels = m_fixture.labels;
    for (int relay : relays) {
        if (relay >= 1 && relay <= relayCount)
            labels[size_t(relay - 1)] = text;
    }
    if (labels == m_fixture.labels)
        return {};
    Fixture changed = m_fixture;
    changed.labels = labels;
    if (Refusal refusal = keepFixture(changed); !refusal.isNone())
        return refusal;
    emit labelsChanged();
    return {};
}

QStringList CardSession::stateNames() const
{
    QStringList names;
    for (const FixtureState &state : m_fixture.states)
        names.append(state.name);
    return names;
}

Refusal CardSession::defineState(const QString &name, const QList<int> &relays)
{
    if (Refusal locked = lockRefusal(); !locked.isNone())
        return locked;
    const Said problem
        = fixture::textProblemSaid(name, said(QT_TRANSLATE_NOOP("CardSession", "a state's name")));
    if (!problem.isEmpty())
        return {Refusal::Kind::BadRequest, problem.english, problem.local};
    FixtureState named {name, CardState()};
    for (int relay : relays) {
        if (relay >= 1 && relay <= relayCount)
            named.state.closed[size_t(relay - 1)] = true;
    }
    named.state.mode = m_mode;
    named.state.exclusive = m_exclusive;
    if (const int pair = named.state.pairBreakingExclusiveRule(); pair != 0)
        //: %1 is a pair's number
        return refused(Refusal::Kind::BrokenRule,
                       said(QT_TRANSLATE_NOOP("CardSession",
                                              "both relays of pair %1 would be closed under the "
                                              "exclusive rule")),
                       QString::number(pair));
    const Said broken = brokenRuleSaid(m_fixture.rules, named.state.closed);
    if (!broken.isEmpty())
        return {Refusal::Kind::BrokenRule, broken.english, broken.local};
    Fixture changed = m_fixture;
    const auto same
        = std::find_if(changed.states.begin(), changed.states.end(),
                       [&name](const FixtureState &state) { return state.name == name; });
    if (same != changed.states.end())
        *same = named;
    else
        changed.states.append(named);
    if (Refusal refusal = keepFixture(changed); !refusal.isNone())
        return refusal;
    emit statesChanged();
    return {};
}

Refusal CardSession::recallState(const QString &name)
{
    if (Refusal locked = lockRefusal(); !locked.isNone())
        return locked;
    const auto found
        = std::find_if(m_fixture.states.cbegin(), m_fixture.states.cend(),
                       [&name](const FixtureState &state) { return state.name == name; });
    if (found == m_fixture.states.cend())
        //: %1 is the name of a state of the fixture
        return refused(Refusal::Kind::BadRequest,
                       said(QT_TRANSLATE_NOOP("CardSession", "no state is named \"%1\"")), name);
    // Read before the fixture's rules were last changed, a state may break
    // one; its own exclusive rule it keeps, as the fixture's reader checks.
    return restore(found->state);
}

QStringList CardSession::sequenceNames() const
{
    QStringList names;
    for (const FixtureSequence &sequence : m_fixture.sequences)
        names.append(sequence.name);
    return names;
}

const FixtureSequence *CardSession::sequence(const QString &name) const
{
    const auto found
        = std::find_if(m_fixture.sequences.cbegin(), m_fixture.sequences.cend(),
                       [&name](const FixtureSequence &sequence) { return sequence.name == name; });
    return found == m_fixture.sequences.cend() ? nullptr : &*found;
}

Refusal CardSession::defineSequence(const FixtureSequence &sequence)
{
    if (Refusal locked = lockRefusal(); !locked.isNone())
        return locked;
    const Said problem = fixture::textProblemSaid(
        sequence.name, said(QT_TRANSLATE_NOOP("CardSession", "a sequence's name")),
        Fixture::nameLength);
    if (!problem.isEmpty())
        return {Refusal::Kind::BadRequest, problem.english, problem.local};
    if (const Said steps = fixture::sequenceProblem(sequence); !steps.isEmpty())
        return {Refusal::Kind::BadRequest, steps.english, steps.local};
    Fixture changed = m_fixture;
    const auto same = std::find_if(
        changed.sequences.begin(), changed.sequences.end(),
        [&sequence](const FixtureSequence &kept) { return kept.name == sequence.name; });
    if (same != changed.sequences.end())
        *same = sequence;
    else
        changed.sequences.append(sequence);
    return keepSequences(changed);
}

Refusal CardSession::deleteSequence(const QString &name)
{
    if (Refusal locked = lockRefusal(); !locked.isNone())
        return locked;
    Fixture changed = m_fixture;
    const auto named = [&name](const FixtureSequence &kept) { return kept.name == name; };
    if (std::find_if(changed.sequences.cbegin(), changed.sequences.cend(), named)
        == changed.sequences.cend())
        //: %1 is the name of a sequence of the fixture
        return refused(Refusal::Kind::BadRequest,
                       said(QT_TRANSLATE_NOOP("CardSession", "no sequence \"%1\"")), name);
    changed.sequences.removeIf(named);
    return keepSequences(changed);
}

Refusal CardSession::keepSequences(const Fixture &changed)
{
    if (Refusal refusal = keepFixture(changed); !refusal.isNone())
        return refusal;
    emit sequencesChanged();
    return {};
}

Refusal CardSession::keepFixture(const Fixture &changed)
{
    if (m_fixturePath.isEmpty())
        return refused(Refusal::Kind::FileError,
                       said(QT_TRANSLATE_NOOP("CardSession", "the panel has no fixture file")));
    // The file first: a label, state or sequence that is not kept would be
    // gone at the next start without a word.
    const QString why = fixture::write(m_fixturePath, changed);
    if (!why.isEmpty())
        //: %1 says why, as the system says it
        return refused(
            Refusal::Kind::FileError,
            said(QT_TRANSLATE_NOOP("CardSession", "the fixture file cannot be written: %1")), why);
    m_fixture = changed;
    m_hasFixtureFile = true;
    return {};
}

} // namespace sfp
