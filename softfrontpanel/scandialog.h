// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The "Scan" window: the card's scan as the operator sets, starts, steps
// and stops it, and where the card's scan or sequence stands. It shows the
// card's settings, whoever set them, and forwards the operator's; the card
// runs the scan.
#pragma once

#include "cardscan.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace sfp {

class ScanDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScanDialog)

public:
    explicit ScanDialog(CardScan *scan, QWidget *parent = nullptr);
    ~ScanDialog() override;

    // While a script holds the card's lock the operator's controls that
    // change the card are locked, as the window's are; Stop stays, so that
    // a person at the bench can always stop the card.
    void setLocked(bool locked);

private:
    void showSettings();
    void showProgress();
    void showEnding(CardScan::Ending ending, const Refusal &refusal);
    void enableControls();
    void checkChannels();
    void startScan();
    void stepScan();
    void stopRun();

    CardScan *m_scan;
    bool m_locked = false;
    // What the progress line says while nothing runs: how the last run
    // ended, or why the operator's start was refused.
    QString m_idleText;
    QLineEdit *m_channels;
    QLabel *m_channelsError;
    QSpinBox *m_delay;
    QComboBox *m_trigger;
    QSpinBox *m_interval;
    QSpinBox *m_count;
    QCheckBox *m_noEnd;
    QLabel *m_progress;
    QPushButton *m_start;
    QPushButton *m_step;
    QPushButton *m_stop;
};

} // namespace sfp
