// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The test fixture the card is wired into, as the user describes it in a
// JSON file of the card's own: what each relay is for, which combinations
// must never be switched, how long the relays are rated to last, and named
// states of the whole card.
#pragma once

#include "cardstate.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

namespace sfp {

// A combination the fixture forbids: of a mutual rule's relays at most one
// may be closed; a forbidden rule's relays never close.
struct FixtureRule
{
    enum class Kind { Mutual, Forbidden };

    QString name;
    Kind kind = Kind::Mutual;
    QList<int> relays; // ascending, each once

    friend bool operator==(const FixtureRule &a, const FixtureRule &b)
    {
        return a.name == b.name && a.kind == b.kind && a.relays == b.relays;
    }
};

struct FixtureState
{
    QString name;
    CardState state;

    friend bool operator==(const FixtureState &a, const FixtureState &b)
    {
        return a.name == b.name && a.state == b.state;
    }
};

struct Fixture
{
    static constexpr int relayCount = 32;
    // Labels and the names of rules and states: characters, not bytes.
    static constexpr int labelLength = 30;
    static constexpr int nameLength = 30;
    static constexpr int defaultWarningPercent = 80;

    std::array<QString, relayCount> labels; // relay n at n - 1; empty: none
    QList<FixtureRule> rules;
    // Closing cycles each relay is rated for; 0: not rated.
    std::array<qint64, relayCount> ratedCycles = {};
    // The share of its rated life after which a relay is marked as worn.
    int warningPercent = defaultWarningPercent;
    QList<FixtureState> states;

    friend bool operator==(const Fixture &a, const Fixture &b)
    {
        return a.labels == b.labels && a.rules == b.rules && a.ratedCycles == b.ratedCycles
            && a.warningPercent == b.warningPercent && a.states == b.states;
    }
};

// The first rule that relays closed as in `closed` break, in words
// ("\"PSU/GND\" allows one of relays 3, 7", "\"HV\" forbids relay 31"), or
// empty text when they break none.
QString brokenRule(const QList<FixtureRule> &rules, const std::array<bool, 32> &closed);

namespace fixture {

// Why `text` cannot be a label or a name ("a label has 1 to 30
// characters, not 31"), `what` naming it; empty text when it can.
QString textProblem(const QString &text, const QString &what);

// Larger fixture files are refused unread.
inline constexpr qint64 maxFileSize = qint64(1024) * 1024;

// The folder of the cards' fixture files: qx5170fp/fixtures in the user's
// configuration folder ($XDG_CONFIG_HOME when it is an absolute path, else
// ~/.config).
QString defaultFolder();

// The fixture file of a card (its id as *IDN? gives it) in folder: the id
// percent-encoded, so that no id reaches outside the folder
// ("VXI0::1::INSTR/FC2" gives "VXI0::1::INSTR%2FFC2.json").
QString fileName(const QString &folder, const QString &cardId);

// What reading a fixture found. `error` is one line, "<place>: <reason>",
// where the place is a line and column for text that is not JSON and a
// JSON pointer ("/rules/1/mutual/0") for a value that breaks the format;
// empty when the fixture was read. Each warning is such a line too, for a
// key the format does not know, which is left out.
struct Reading
{
    Fixture fixture;
    QString error;
    QStringList warnings;
};

// Reads a fixture from JSON text. Nothing of a fixture with an error is
// kept: its rules would hold only in part.
Reading parse(const QByteArray &text);

// Reads the fixture file at path. `absent` is set (and `error` left empty)
// when there is no such file.
Reading read(const QString &path, bool *absent);

// The names of the switching modes in a fixture file, in the modes' order.
inline constexpr std::array<const char *, 3> modeNames
    = {"asynchronous", "sync-command", "sync-trigger"};

// Writes the fixture's labels and named states into the fixture file at
// path (made, with its folder, when there is none), leaving everything
// else the file holds as it is, unknown keys too, and in its own
// indentation; a named state the file has keeps its keys and gains no
// default it left out. The file is replaced only by a complete copy that
// was read back, and never by one larger than maxFileSize, which the next
// read would refuse. Returns empty text, or why
// nothing was written.
QString write(const QString &path, const Fixture &fixture);

} // namespace fixture

} // namespace sfp
