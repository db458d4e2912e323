// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The operator's control for one of the relay card's 16 relay pairs.
#pragma once

#include "relaywear.h"
#include "visatype.h"

#include <QGroupBox>
#include <QPointer>

#include <memory>

class QAction;
class QLabel;
class QPushButton;

namespace sfp {
class CardSession;
class MessageBoxReporter;
} // namespace sfp

class qx5170_sfpRelayPair final : public QGroupBox
{
    Q_OBJECT

public:
    // pairNo 0..15 shows relays 2*pairNo+1 (A) and 2*pairNo+2 (B) of the
    // card session, which switches them.
    qx5170_sfpRelayPair(sfp::CardSession *card, int pairNo, QWidget *parent = nullptr);
    // A pair with a card session of its own, which reports to the operator's
    // message boxes; with demo set the widget never calls the driver.
    explicit qx5170_sfpRelayPair(ViSession vi, int pairNo, bool demo, QWidget *parent = nullptr);
    ~qx5170_sfpRelayPair() override;

    QLabel *relayALabel() const { return relayAlbl; }
    QLabel *relayBLabel() const { return relayBlbl; }
    QPushButton *relayAButton() const { return relayAbtn; }
    QPushButton *relayBButton() const { return relayBbtn; }
    int pairNo() const { return m_pairNo; }
    bool isExclusive() const;
    bool isDemo() const;
    ViSession session() const;
    sfp::CardSession *card() const { return m_card; }
    // "Label...", in the relay button's context menu while the card has a
    // fixture file.
    QAction *labelAction(int relay) const;
    // As without labels: the labels take what room the pair has, never
    // more, so that they cannot widen the window.
    QSize minimumSizeHint() const override;

signals:
    void buttonClicked();

public slots:
    void exclusiveToggle_slot(bool on);
    void btnAstateChanged_slot(bool state);
    void btnBstateChanged_slot(bool state);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    class Hub;

    void showRelay(int relay, bool closed);
    void relaySwitched(int relay);
    void showLabels();
    // The relay's button marked as its wear stands against its rated life.
    void showWear(int relay);
    void updateTitle();
    QString plainTitle() const;
    void editLabel(int relay);

    std::unique_ptr<sfp::MessageBoxReporter> m_ownReporter;
    sfp::CardSession *m_card;
    QLabel *relayAlbl;
    QLabel *relayBlbl;
    QPushButton *relayAbtn;
    QPushButton *relayBbtn;
    QAction *m_labelActions[2] = {};
    using Level = sfp::RelayWear::Level;
    Level m_wearLevel[2] = {Level::Fresh, Level::Fresh};
    QString m_labelledTitle; // "Pair 2 · PSU rail / GND"; empty without labels
    int m_pairNo;
    // True while a button is set to show the card: its toggle is no request.
    bool m_showingCard = false;
    QPointer<Hub> m_hub; // gone with the card when the card goes first

    Q_DISABLE_COPY_MOVE(qx5170_sfpRelayPair)
};
