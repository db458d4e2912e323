// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The main window of a soft front panel that is bound to a function card:
// constructing it connects to the card (or chooses demo mode), fills the
// frame's header and creates the About box; destroying it closes the
// driver session.
#pragma once

#include "qx2010fp_app.h"
#include "sfpstartchoice.h"
#include "visatype.h"

#include <QString>
#include <QtGlobal>

class QCloseEvent;
class qx2010fp_genFC;

class qx2010fp_AppFC : public qx2010fp_app
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(qx2010fp_AppFC)

public:
    static constexpr int maxCards = 256;

    // fc is not owned and must outlive the window. multiSelect lets the
    // operator choose several cards in the selection tree. startInDemo skips
    // the connection sequence; otherwise `start` says how the sequence
    // begins. When the operator cancels the sequence the process ends here
    // with exit status 0.
    explicit qx2010fp_AppFC(qx2010fp_genFC *fc, int multiSelect, bool startInDemo,
                            const sfpStartChoice &start = sfpStartChoice());
    ~qx2010fp_AppFC() override;

    // The name of the card the window is bound to, as sfp::cardId gives it
    // ("VXI0::1::INSTR/FC2"); "DEMO" in demo mode.
    QString cardId() const { return m_cardId; }

protected:
    void closeEvent(QCloseEvent *event) override;

    // Fixed by the constructor for the window's whole life.
    ViSession d_vi = 0; // 0 in demo mode
    int d_demoMode = 0; // 1: no hardware, no driver calls
    qint32 d_fcNumbers[maxCards] = {}; // one per descriptor, same order
    int d_fcCount = 0;
    bool d_lxi = false; // the system answered as a LAN device
    qx2010fp_genFC *d_fc = nullptr;

private:
    QString m_cardId;
};
