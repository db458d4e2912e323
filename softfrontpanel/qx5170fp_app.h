// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The relay card's main window: the card-bound window with the 16 relay
// pairs in a 4 x 4 grid and the switching mode controls beneath them.
#pragma once

#include "messageboxreporter.h"
#include "qx2010fp_appfc.h"
#include "relays.h"
#include "switchingmode.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;
class qx2010fp_genFC;
class qx2010fp_led;
class qx5170_sfpRelayPair;
class SwitchingLogView;

namespace sfp {
class CardSession;
class RemoteControl;
class ScanDialog;
class SwitchingLog;
} // namespace sfp

class qx5170fp_App final : public qx2010fp_AppFC
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(qx5170fp_App)

public:
    static constexpr int pairCount = sfp::pairCount;

    // Runs the connection sequence (one card only) before the panel is built.
    // `start` says how the connection sequence begins (the command line's
    // choice; by default the operator is asked).
    explicit qx5170fp_App(qx2010fp_genFC *fc, const sfpStartChoice &start = sfpStartChoice());
    ~qx5170fp_App() override;

    // The card as the panel drives it, for the remote control.
    sfp::CardSession *card() const { return m_card; }
    qx5170_sfpRelayPair *pair(int index) const { return relayPair[index]; }
    // Locks or unlocks the operator's controls of the card (the relays and
    // the mode controls); what they show still follows the card.
    void setControlsLocked(bool locked);
    // Shows what the remote control does to the panel: the line under the
    // card information, the lock, and its changes painted at most once a
    // frame while its commands come in.
    void followRemote(sfp::RemoteControl *remote);
    // Records every change of the card in `log` (which outlives the
    // window): the "Switching log" window opens with Ctrl+L and from the
    // relay area's context menu.
    void setSwitchingLog(sfp::SwitchingLog *log);
    // Says what the operator must know and would otherwise find only on
    // standard error (a file that cannot be written, counts not kept): a
    // line under the mode controls that stays until the next such message.
    void showNotice(const QString &text);
    // Opens the "Switching log" window, or raises it.
    void showSwitchingLog();
    SwitchingLogView *switchingLogView() const { return m_logView; }
    // Opens the "Scan" window, or raises it.
    void showScanDialog();
    sfp::ScanDialog *scanDialog() const { return m_scanDialog; }
    // The relay area's context menu: with a switching log, "Switching
    // log..."; "Scan..."; while the card has a fixture file, an action per
    // named state that applies it, one per stored sequence that runs it,
    // and "Save current state as...". The caller owns it.
    QMenu *newStateMenu();

public slots:
    void triggerClick_slot();
    void updateClick_slot();
    void modeSelect_slot(int indx);
    void stateChange_slot();
    void exclusiveToggle_slot(bool on);

protected:
    bool event(QEvent *event) override;

private:
    void setKeyboardOrder();
    void showMode(sfp::SwitchingMode mode);
    void showExclusive(bool on);
    void holdPainting();
    void showRefusal(int relay, const QString &reason);
    void hideRefusal();
    void saveStateAs();
    void runSequence(const QString &name);
    // The operator's buttons of the relays that a scan or sequence uses
    // are disabled while it runs.
    void showRelaysInUse();

    // The operator's message boxes, where the card's driver statuses go.
    sfp::MessageBoxReporter m_reporter;
    sfp::CardSession *m_card = nullptr;
    QTimer *m_paintHold = nullptr;
    bool m_paintOwed = false; // a paint request came while painting was held
    QTimer *m_refusalTimer = nullptr;
    int m_heightWithoutRefusal = 0; // while the refusal line is shown

    qx5170_sfpRelayPair *relayPair[pairCount] = {};
    QGroupBox *modeGroupBox = nullptr;
    QComboBox *modeCombo = nullptr;
    QPushButton *triggerBtn = nullptr;
    QPushButton *updateBtn = nullptr;
    qx2010fp_led *syncLed = nullptr;
    QCheckBox *exclusiveChk = nullptr;
    QLabel *refusalLbl = nullptr;
    QLabel *m_noticeLbl = nullptr;
    QWidget *m_pairArea = nullptr;
    sfp::SwitchingLog *m_log = nullptr;
    SwitchingLogView *m_logView = nullptr;
    sfp::ScanDialog *m_scanDialog = nullptr;
    bool m_controlsLocked = false;
    // A sequence the operator ran from the menu: its refusal is said as a
    // click's is.
    bool m_sequenceFromMenu = false;
};
