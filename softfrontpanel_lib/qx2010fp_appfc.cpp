// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "qx2010fp_appfc.h"

#include "cardheader.h"
#include "coveragecounts.h"
#include "libraryrevision.h"
#include "modeltext.h"
#include "platformlibraries.h"
#include "qx2010.h"
#include "qx2010fp_about.h"
#include "qx2010fp_fcselect.h"
#include "qx2010fp_genfc.h"

#include <QByteArray>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// "1.4.0 (simulated)": a revision of a stand-in library, as the About box
// shows it.
QByteArray markedSimulated(const QByteArray &revision)
{
    //: Follows a library's revision in the About box, e.g. "1.4.0 (simulated)"
    return (revision + qx2010fp_AppFC::tr(" (simulated)").toLocal8Bit()).trimmed();
}

} // namespace

qx2010fp_AppFC::qx2010fp_AppFC(qx2010fp_genFC *fc, int multiSelect, bool startInDemo,
                               const sfpStartChoice &start)
{
    d_fc = fc;
    const QString model = sfp::modelText(d_fc->modelCode);
    d_vi = 0;

    auto select = std::make_unique<qx2010fp_fcSelect>(fc, multiSelect);
    if (startInDemo) {
        d_demoMode = 1;
        // Nothing asked the operator, so nothing chose a card: take what
        // choosing demo mode in the connection sequence takes, one card
        // numbered 1.
        select->m_fcNumbers[0] = 1;
        select->m_fcCount = 1;
    } else {
        select->m_start = start;
        select->setWindowIcon(windowIcon());
        centerOnDesktop(select.get());
        if (!select->connectFc()) {
            d_demoMode = 1;
            // The operator chose not to run the panel at all. Nothing is open
            // that the process's end would not release.
            std::fflush(nullptr);
            sfp::writeCoverageCounts();
            std::_Exit(0);
        }
        d_demoMode = select->m_demoMode;
    }

    d_vi = select->m_session;
    for (int i = 0; i < maxCards; ++i)
        d_fcNumbers[i] = select->m_fcNumbers[i];
    setDemoMode(d_demoMode != 0);
    d_fcCount = select->m_fcCount;

    sfp::CardHeader header;
    if (d_demoMode == 0) {
        header = sfp::readCardHeader(d_vi, d_fcNumbers[0], select->m_descriptors);
        m_cardId = sfp::cardId(header.resourceName, d_fcNumbers[0]);
    } else {
        d_vi = 0;
        m_cardId = QStringLiteral("DEMO");
    }
    d_lxi = header.lxi;
    // Connected to a card of the stand-ins, the panel looks like one on the
    // hardware; the operator has to see that no relay of a real card moves.
    // Demo mode says so already with its dark LED.
    const bool simulated = d_demoMode == 0 && sfp::platform::loaded().simulated;

    select.reset();

    setWindowTitle(sfp::panelWindowTitle(model, header.hostText));
    setHeaderText(sfp::panelHeaderText(model, d_fc->description()));
    setLxiLogo(d_lxi);
    setModuleInfo(header.moduleText,
                  d_lxi ? tr("Shows which LXI module is connected to the Soft Front Panel")
                        : tr("Shows which VXI module is connected to the Soft Front Panel"));
    setCardInfo(header.fcText,
                tr("Shows which function card is connected to the Soft Front Panel"));
    if (simulated)
        setPlatformInfo(tr("Simulated platform: no hardware is switched"));

    QByteArray libraryRevision = sfp::libraryRevision();
    QByteArray driverRevision = d_fc->driverRevision().toLocal8Bit();
    if (simulated) {
        libraryRevision = markedSimulated(libraryRevision);
        driverRevision = markedSimulated(driverRevision);
    }
    aboutDialog = new qx2010fp_About(d_fc->version().toLocal8Bit().constData(),
                                     driverRevision.constData(), model.toLocal8Bit().constData(),
                                     d_fc->legalNotice().toLocal8Bit().constData(), this,
                                     libraryRevision.constData());
    aboutDialog->setWindowIcon(windowIcon());
    connect(aboutBtn, &QPushButton::clicked, aboutDialog, &QDialog::show);
}

qx2010fp_AppFC::~qx2010fp_AppFC()
{
    // In demo mode no session was ever opened. The close status is of no use
    // to a window that is going away.
    if (d_demoMode == 0)
        d_fc->close(d_vi);
}

void qx2010fp_AppFC::closeEvent(QCloseEvent *event)
{
    qx2010fp_app::closeEvent(event);
}
