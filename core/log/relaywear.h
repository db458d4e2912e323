// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// How often each relay of a card has closed, counted over the card's
// life: every closing the driver took is one cycle. The counts live in a
// small file of the card's own under the user's state folder, written at
// most a second after a count changes, so that a crash loses at most
// that second and never leaves a cut file.
#pragma once

#include "relays.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <array>

namespace sfp {

struct Fixture;

class RelayWear final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RelayWear)

public:
    static constexpr int relayCount = sfp::relayCount;
    // STATus:QUEStionable's bit for "a relay is past its warning share".
    static constexpr int questionableBit = 1 << 11;

    // How worn a relay is against the life its fixture rates it for.
    enum class Level { Fresh, Warning, Worn };

    explicit RelayWear(QObject *parent = nullptr);
    // Writes what is not written yet.
    ~RelayWear() override;

    // The folder of the cards' state: qx5170fp in the user's state folder
    // ($XDG_STATE_HOME when it is an absolute path, else ~/.local/state).
    static QString defaultFolder();
    // The card's counter file in folder (the card id encoded as for its
    // saved states, one folder per card).
    static QString fileName(const QString &folder, const QString &cardId);

    // Reads the counts of the card from path; a missing file is a card
    // that never closed a relay. Returns empty text, or why the file
    // cannot be used ("... is not a counter file: ..."); the counts are
    // then not kept at all, so that nothing overwrites what may be put
    // right by hand.
    QString open(const QString &path);
    bool isOpen() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }

    // Relays count from 1; any other number has no count.
    qint64 cycles(int relay) const;
    void countClosing(int relay);
    // Starts the relays' counts again from 0 (a relay replaced), written
    // to the file first: empty text, or why it could not, and then the
    // counts stay as they were.
    QString clear(const QList<int> &relays);
    // Writes what waits now; empty text, or why it could not.
    QString flush();

    static Level level(qint64 cycles, qint64 ratedCycles, int warningPercent);
    Level level(int relay, const Fixture &fixture) const;
    // questionableBit when any relay is past its warning share, else 0.
    int questionableCondition(const Fixture &fixture) const;

signals:
    void cyclesChanged(int relay);
    // A write failed; said once until a write succeeds again.
    void writeFailed(const QString &why);

private:
    // Writes the counts to the file; empty text, or why it could not.
    QString write(const std::array<qint64, relayCount> &cycles);

    QString m_path;
    std::array<qint64, relayCount> m_cycles = {};
    QTimer m_saveTimer;
    bool m_unsaved = false;
    bool m_failureSaid = false;
};

} // namespace sfp
