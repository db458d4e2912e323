// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "qx5170_sfprelaypair.h"
#include "platformlibraries.h"

#include "driverstatus.h"
#include "qx5170.h"
#include "relayicons.h"

#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace {

const QSize relayIconSize(19, 12);

QIcon relayIcon(bool on)
{
    return QIcon(QPixmap(on ? relayClosedXpm : relayOpenXpm));
}

QPushButton *newRelayButton(const QString &help)
{
    auto *button = new QPushButton(relayIcon(false), QString());
    // Shown at the pictures' own size: scaled to the style's 16 x 16 they
    // would blur.
    button->setIconSize(relayIconSize);
    button->setCheckable(true);
    button->setWhatsThis(help);
    button->setToolTip(help);
    return button;
}

} // namespace

qx5170_sfpRelayPair::qx5170_sfpRelayPair(ViSession vi, int pairNo, bool demo, QWidget *parent)
    : QGroupBox(QStringLiteral("Pair %1").arg(pairNo + 1, 0, 10), parent)
    , relayAlbl(new QLabel(QStringLiteral("A:")))
    , relayBlbl(new QLabel(QStringLiteral("B:")))
    , relayAbtn(newRelayButton(QStringLiteral("Switch on or off relay A")))
    , relayBbtn(newRelayButton(QStringLiteral("Switch on or off relay B")))
    , m_pairNo(pairNo)
    , m_exclusive(false)
    , m_demo(demo)
    , m_vi(vi)
{
    auto *layout = new QGridLayout(this);
    layout->addWidget(relayAlbl, 0, 0);
    layout->addWidget(relayAbtn, 0, 1);
    layout->addWidget(relayBlbl, 1, 0);
    layout->addWidget(relayBbtn, 1, 1);

    // The buttons show only pictures: screen readers and automation find
    // them by these names.
    relayAbtn->setAccessibleName(QStringLiteral("Pair %1 relay A").arg(pairNo + 1));
    relayBbtn->setAccessibleName(QStringLiteral("Pair %1 relay B").arg(pairNo + 1));

    connect(relayAbtn, &QPushButton::toggled, this, &qx5170_sfpRelayPair::btnAstateChanged_slot);
    connect(relayBbtn, &QPushButton::toggled, this, &qx5170_sfpRelayPair::btnBstateChanged_slot);
}

qx5170_sfpRelayPair::~qx5170_sfpRelayPair() = default;

void qx5170_sfpRelayPair::exclusiveToggle_slot(bool on)
{
    m_exclusive = on;
    // Relay A wins: B is switched off through its own handler, so the card
    // and the panel's synchronization state hear of it.
    if (on && relayAbtn->isChecked() && relayBbtn->isChecked())
        relayBbtn->toggle();
}

void qx5170_sfpRelayPair::btnAstateChanged_slot(bool state)
{
    // The icon follows the operator's command even when the driver call
    // fails: the button shows what was commanded, nothing is read back.
    relayAbtn->setIcon(relayIcon(state));
    if (!m_demo) {
        const ViStatus status
            = sfpLibraries().qx5170_switchRelay(m_vi, m_pairNo * 2 + 1, relayAbtn->isChecked());
        reportDriverStatus(status,
                           "qx5170_switchRelay(m_vi, m_pairNo*2+1, relayAbtn->isChecked())");
    }
    emit buttonClicked();
    // The relay just pressed wins; the partner's handler runs to completion
    // inside toggle().
    if (m_exclusive && relayBbtn->isChecked() && relayAbtn->isChecked()) {
        relayBbtn->toggle();
        emit buttonClicked();
    }
}

void qx5170_sfpRelayPair::btnBstateChanged_slot(bool state)
{
    relayBbtn->setIcon(relayIcon(state));
    if (!m_demo) {
        const ViStatus status
            = sfpLibraries().qx5170_switchRelay(m_vi, (m_pairNo + 1) * 2, relayBbtn->isChecked());
        reportDriverStatus(status,
                           "qx5170_switchRelay(m_vi, (m_pairNo+1)*2, relayBbtn->isChecked())");
    }
    emit buttonClicked();
    if (m_exclusive && relayAbtn->isChecked() && relayBbtn->isChecked()) {
        relayAbtn->toggle();
        emit buttonClicked();
    }
}
