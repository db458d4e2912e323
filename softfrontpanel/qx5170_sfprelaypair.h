// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The operator's control for one of the relay card's 16 relay pairs.
#pragma once

#include "visatype.h"

#include <QGroupBox>

class QLabel;
class QPushButton;

class qx5170_sfpRelayPair final : public QGroupBox
{
    Q_OBJECT

public:
    // pairNo 0..15 drives relays 2*pairNo+1 (A) and 2*pairNo+2 (B); with
    // demo set the widget never calls the driver.
    explicit qx5170_sfpRelayPair(ViSession vi, int pairNo, bool demo, QWidget *parent = nullptr);
    ~qx5170_sfpRelayPair() override;

    QLabel *relayALabel() const { return relayAlbl; }
    QLabel *relayBLabel() const { return relayBlbl; }
    QPushButton *relayAButton() const { return relayAbtn; }
    QPushButton *relayBButton() const { return relayBbtn; }
    int pairNo() const { return m_pairNo; }
    bool isExclusive() const { return m_exclusive; }
    bool isDemo() const { return m_demo; }
    ViSession session() const { return m_vi; }

signals:
    void buttonClicked();

public slots:
    void exclusiveToggle_slot(bool on);
    void btnAstateChanged_slot(bool state);
    void btnBstateChanged_slot(bool state);

private:
    QLabel *relayAlbl;
    QLabel *relayBlbl;
    QPushButton *relayAbtn;
    QPushButton *relayBbtn;
    int m_pairNo;
    bool m_exclusive;
    bool m_demo;
    ViSession m_vi;

    Q_DISABLE_COPY_MOVE(qx5170_sfpRelayPair)
};
