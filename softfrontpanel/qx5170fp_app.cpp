// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "qx5170fp_app.h"

#include "cardscan.h"
#include "cardsession.h"
#include "qx2010fp_led.h"
#include "qx5170_sfprelaypair.h"
#include "remotecontrol.h"
#include "scandialog.h"
#include "switchinglog.h"
#include "switchinglogview.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QList>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <iterator>
#include <memory>
#include <string_view>
#include <utility>

namespace {

constexpr int gridColumns = 4;

// How long the window gathers a remote client's changes before it paints
// them: one frame of a 60 Hz screen.
constexpr int remotePaintIntervalMs = 16;

// How long a refused click's line stays under the mode controls.
constexpr int refusalShownMs = 5000;

const char modeHelp[]
    = QT_TRANSLATE_NOOP("qx5170fp_App",
                        "Selects relays state update mode.\n"
                        "Possible modes: Asynchronous, Synch. Command, Synch. Trigger\n"
                        "Asynchronous - immediate update after changing relay state,\n"
                        "Synch. Command - update takes place after issuing command,\n"
                        "Synch. Trigger - update takes place after trigger activation.");
const char triggerHelp[]
    = QT_TRANSLATE_NOOP("qx5170fp_App", "Generates synchronization trigger signal.");
const char updateHelp[] = QT_TRANSLATE_NOOP(
    "qx5170fp_App", "Issues update command to update relays state in synchronous mode.");
const char syncHelp[]
    = QT_TRANSLATE_NOOP("qx5170fp_App",
                        "Indicates if relays state was updated in synchronous mode.\n"
                        "Red color - not synchronized,\n"
                        "Green color - synchronized.\n"
                        "Always green in asynchronous mode.");
const char exclusiveHelp[]
    = QT_TRANSLATE_NOOP("qx5170fp_App",
                        "Turns on exclusive mode. In this mode only one of the "
                        "relays in pair can be switched on.");

// The mode list's entries, as switchingModes::titles says them in English;
// the log and programs keep the English ones.
constexpr const char *modeTitles[] = {
    QT_TRANSLATE_NOOP("qx5170fp_App", "Asynchronous"),
    QT_TRANSLATE_NOOP("qx5170fp_App", "Sync. Command"),
    QT_TRANSLATE_NOOP("qx5170fp_App", "Sync. Trigger"),
};
static_assert(std::size(modeTitles) == sfp::switchingModes::titles.size());
static_assert(std::string_view(modeTitles[0]) == sfp::switchingModes::titles[0]
              && std::string_view(modeTitles[1]) == sfp::switchingModes::titles[1]
              && std::string_view(modeTitles[2]) == sfp::switchingModes::titles[2]);

void setHelp(QWidget *widget, const char *text)
{
    const QString help = qx5170fp_App::tr(text);
    widget->setWhatsThis(help);
    widget->setToolTip(help);
}

} // namespace

qx5170fp_App::qx5170fp_App(qx2010fp_genFC *fc, const sfpStartChoice &start)
    : qx2010fp_AppFC(fc, 0, false, start)
{
    auto *panelLayout = new QVBoxLayout;
    auto *pairGrid = new QGridLayout;
    auto *modeLayout = new QHBoxLayout;
    setPanelLayout(panelLayout);

    auto *pairContainer = new QWidget;
    m_pairArea = pairContainer;
    panelLayout->addWidget(pairContainer);
    pairContainer->setLayout(pairGrid);
    pairContainer->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding);

    m_card = new sfp::CardSession(d_vi, d_demoMode != 0, &m_reporter, this);
    for (int i = 0; i < pairCount; ++i) {
        relayPair[i] = new qx5170_sfpRelayPair(m_card, i);
        relayPair[i]->setObjectName(QStringLiteral("relayPair%1").arg(i));
        pairGrid->addWidget(relayPair[i], i / gridColumns, i % gridColumns);
    }

    modeGroupBox = new QGroupBox(tr("Switching Mode Control"));
    panelLayout->addWidget(modeGroupBox);
    modeGroupBox->setLayout(modeLayout);

    modeCombo = new QComboBox;
    for (const char *title : modeTitles)
        modeCombo->addItem(tr(title));
    modeLayout->addWidget(modeCombo);

    triggerBtn = new QPushButton(tr("Trigger"));
    triggerBtn->setEnabled(false);
    modeLayout->addWidget(triggerBtn);

    updateBtn = new QPushButton(tr("Update"));
    updateBtn->setEnabled(false);
    modeLayout->addWidget(updateBtn);

    syncLed = new qx2010fp_led(tr("Synchronized"), Qt::red, Qt::green);
    modeLayout->addWidget(syncLed);

    exclusiveChk = new QCheckBox(tr("Exclusive"));
    modeLayout->addWidget(exclusiveChk);

    for (qx5170_sfpRelayPair *pair : relayPair)
        connect(pair, &qx5170_sfpRelayPair::buttonClicked, this, &qx5170fp_App::stateChange_slot);
    connect(modeCombo, &QComboBox::activated, this, &qx5170fp_App::modeSelect_slot);
    connect(triggerBtn, &QPushButton::clicked, this, &qx5170fp_App::triggerClick_slot);
    connect(updateBtn, &QPushButton::clicked, this, &qx5170fp_App::updateClick_slot);
    connect(exclusiveChk, &QCheckBox::toggled, this, &qx5170fp_App::exclusiveToggle_slot);
    // The controls show the card, whoever switched it, each through one
    // function. A control set to show the card forwards it back like an
    // operator's change, which the card already has and so ignores.
    connect(m_card, &sfp::CardSession::modeChanged, this, &qx5170fp_App::showMode);
    connect(m_card, &sfp::CardSession::exclusiveChanged, this, &qx5170fp_App::showExclusive);
    connect(m_card, &sfp::CardSession::synchronizedChanged, this, &qx5170fp_App::stateChange_slot);
    // The operator reads the reason in the operator's language.
    connect(m_card, &sfp::CardSession::changeRefused, this,
            [this](int relay, const QString & /*reason*/, const QString &localReason) {
                showRefusal(relay, localReason);
            });
    connect(m_card->scan(), &sfp::CardScan::progressed, this, &qx5170fp_App::showRelaysInUse);
    connect(m_card->scan(), &sfp::CardScan::finished, this,
            [this](sfp::CardScan::Ending ending, const sfp::Refusal &refusal) {
                if (std::exchange(m_sequenceFromMenu, false)
                    && ending == sfp::CardScan::Ending::Refused)
                    showRefusal(0, refusal.operatorReason());
            });
    // The menu is always there: it opens the scan, which every card has.
    pairContainer->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(pairContainer, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        const std::unique_ptr<QMenu> menu(newStateMenu());
        menu->exec(m_pairArea->mapToGlobal(at));
    });

    // Found by these names by whoever reads the window: tests, automation.
    modeGroupBox->setObjectName(QStringLiteral("modeGroupBox"));
    modeCombo->setObjectName(QStringLiteral("modeCombo"));
    triggerBtn->setObjectName(QStringLiteral("triggerBtn"));
    updateBtn->setObjectName(QStringLiteral("updateBtn"));
    syncLed->setObjectName(QStringLiteral("syncLed"));
    exclusiveChk->setObjectName(QStringLiteral("exclusiveChk"));

    setHelp(modeCombo, modeHelp);
    setHelp(triggerBtn, triggerHelp);
    setHelp(updateBtn, updateHelp);
    setHelp(syncLed, syncHelp);
    setHelp(exclusiveChk, exclusiveHelp);

    setKeyboardOrder();
}

qx5170fp_App::~qx5170fp_App() = default;

// Tab follows the window as it reads: the pairs row by row with relay A
// before relay B, the mode controls left to right, then the frame's column
// top to bottom. The frame's hidden controls keep their places in the
// column, so that showing one needs no new order.
void qx5170fp_App::setKeyboardOrder()
{
    QList<QWidget *> order;
    for (qx5170_sfpRelayPair *pair : relayPair)
        order << pair->relayAButton() << pair->relayBButton();
    order << modeCombo << triggerBtn << updateBtn << exclusiveChk;
    order << autoscaleBtn << identBtn << startBtn << startContBtn << resetBtn << helpBtn << aboutBtn
          << closeBtn;

    // The focus chain is a ring through the window, and Tab starts from the
    // window. Built before the panel, the frame's column sits at the ring's
    // start, yet just after the mode controls when counted round the ring;
    // setTabOrder counts round the ring past widgets that take no focus, so
    // it would leave everything as it is. While the window takes focus
    // itself it marks the ring's start, and the first relay goes there.
    const Qt::FocusPolicy windowPolicy = focusPolicy();
    setFocusPolicy(Qt::TabFocus);
    QWidget *previous = this;
    for (QWidget *widget : std::as_const(order)) {
        setTabOrder(previous, widget);
        previous = widget;
    }
    setFocusPolicy(windowPolicy);
}

void qx5170fp_App::setControlsLocked(bool locked)
{
    // The pairs as a whole: a button that a run uses stays disabled of
    // its own when the lock goes.
    for (qx5170_sfpRelayPair *pair : relayPair)
        pair->setEnabled(!locked);
    modeGroupBox->setEnabled(!locked);
    m_controlsLocked = locked;
    if (m_scanDialog)
        m_scanDialog->setLocked(locked);
}

void qx5170fp_App::showRelaysInUse()
{
    const QList<int> inUse = m_card->scan()->relaysInUse();
    for (qx5170_sfpRelayPair *pair : relayPair) {
        const int relayA = 2 * pair->pairNo() + 1;
        pair->relayAButton()->setEnabled(!inUse.contains(relayA));
        pair->relayBButton()->setEnabled(!inUse.contains(relayA + 1));
    }
}

void qx5170fp_App::followRemote(sfp::RemoteControl *remote)
{
    connect(remote, &sfp::RemoteControl::infoChanged, this, &qx5170fp_App::setRemoteInfo);
    connect(remote, &sfp::RemoteControl::lockChanged, this, &qx5170fp_App::setControlsLocked);
    connect(remote, &sfp::RemoteControl::commandArriving, this, &qx5170fp_App::holdPainting);
    // A box the operator answers is part of an operation: remote commands
    // wait for the answer.
    remote->setOperatorAsked([] { return QApplication::activeModalWidget() != nullptr; });
}

void qx5170fp_App::holdPainting()
{
    // A script switches far faster than a screen shows: painting every
    // switch would make each command wait for a repaint of the window.
    // The controls take each change at once; the window paints them
    // together one frame later, and only the controls that changed: the
    // toolkit keeps what waits to be painted while the window's paint
    // request waits (see event()).
    if (!m_paintHold) {
        m_paintHold = new QTimer(this);
        m_paintHold->setSingleShot(true);
        m_paintHold->setInterval(remotePaintIntervalMs);
        connect(m_paintHold, &QTimer::timeout, this, [this] {
            if (!m_paintOwed)
                return;
            m_paintOwed = false;
            // Sent, not posted: a posted request could meet the next
            // command's hold and be held again, and a steady burst would
            // keep the window's picture old for as long as it lasted.
            QEvent request(QEvent::UpdateRequest);
            QCoreApplication::sendEvent(this, &request);
        });
    }
    if (!m_paintHold->isActive())
        m_paintHold->start();
}

bool qx5170fp_App::event(QEvent *event)
{
    // The request to paint what changed; while remote commands come in, it
    // waits for the end of the frame.
    if (event->type() == QEvent::UpdateRequest && m_paintHold && m_paintHold->isActive()) {
        m_paintOwed = true;
        return true;
    }
    return qx2010fp_AppFC::event(event);
}

void qx5170fp_App::showRefusal(int /*relay*/, const QString &reason)
{
    // Made on first use: a card without a fixture refuses nothing, and its
    // panel looks as it always has. A line that goes by itself, not a box
    // to answer: the operator only needs to know why nothing moved.
    if (!refusalLbl) {
        refusalLbl = new QLabel;
        refusalLbl->setObjectName(QStringLiteral("refusalInfo"));
        auto *panelLayout = qobject_cast<QBoxLayout *>(modeGroupBox->parentWidget()->layout());
        panelLayout->addWidget(refusalLbl);
        m_refusalTimer = new QTimer(this);
        m_refusalTimer->setSingleShot(true);
        m_refusalTimer->setInterval(refusalShownMs);
        connect(m_refusalTimer, &QTimer::timeout, this, &qx5170fp_App::hideRefusal);
    }
    if (refusalLbl->isHidden())
        m_heightWithoutRefusal = height();
    //: %1 says why a change of the card was refused
    refusalLbl->setText(tr("Refused: %1").arg(reason));
    refusalLbl->show();
    m_refusalTimer->start();
}

void qx5170fp_App::hideRefusal()
{
    refusalLbl->hide();
    // The line made the window taller to fit; it gives the room back, so
    // that the window is as it was before the refusal.
    for (QWidget *widget = refusalLbl->parentWidget(); widget; widget = widget->parentWidget()) {
        if (widget->layout())
            widget->layout()->activate();
    }
    if (m_heightWithoutRefusal > 0 && height() > m_heightWithoutRefusal)
        resize(width(), qMax(m_heightWithoutRefusal, minimumHeight()));
    m_heightWithoutRefusal = 0;
}

void qx5170fp_App::showNotice(const QString &text)
{
    // Made on first use: without a fault the panel looks as it always has.
    if (!m_noticeLbl) {
        m_noticeLbl = new QLabel;
        m_noticeLbl->setObjectName(QStringLiteral("noticeInfo"));
        m_noticeLbl->setWordWrap(true);
        auto *panelLayout = qobject_cast<QBoxLayout *>(modeGroupBox->parentWidget()->layout());
        panelLayout->addWidget(m_noticeLbl);
    }
    m_noticeLbl->setText(text);
    m_noticeLbl->setToolTip(text);
    m_noticeLbl->show();
}

void qx5170fp_App::setSwitchingLog(sfp::SwitchingLog *log)
{
    m_log = log;
    // Given to the card already where the card's service keeps the log.
    if (m_card->log() != log)
        m_card->setLog(log, cardId());
    connect(log, &sfp::SwitchingLog::writeFailed, this, [this](const QString &why) {
        //: %1 says why, as the system says it
        showNotice(tr("The switching log is not kept: %1").arg(why));
    });
    auto *shortcut = new QShortcut(QKeySequence(QStringLiteral("Ctrl+L")), this);
    connect(shortcut, &QShortcut::activated, this, &qx5170fp_App::showSwitchingLog);
}

void qx5170fp_App::showSwitchingLog()
{
    if (!m_log)
        return;
    if (!m_logView)
        m_logView = new SwitchingLogView(m_log, this);
    m_logView->show();
    m_logView->raise();
    m_logView->activateWindow();
}

void qx5170fp_App::showScanDialog()
{
    if (!m_scanDialog) {
        m_scanDialog = new sfp::ScanDialog(m_card->scan(), this);
        m_scanDialog->setLocked(m_controlsLocked);
    }
    m_scanDialog->show();
    m_scanDialog->raise();
    m_scanDialog->activateWindow();
}

QMenu *qx5170fp_App::newStateMenu()
{
    auto *menu = new QMenu(this);
    if (m_log)
        menu->addAction(tr("Switching log..."), QKeySequence(QStringLiteral("Ctrl+L")), this,
                        &qx5170fp_App::showSwitchingLog);
    menu->addAction(tr("Scan..."), this, &qx5170fp_App::showScanDialog);
    if (!m_card->hasFixtureFile())
        return menu;
    menu->addSeparator();
    for (const QString &name : m_card->stateNames()) {
        // Names are the user's: an '&' in one is no shortcut.
        QString text = name;
        text.replace(QLatin1Char('&'), QStringLiteral("&&"));
        //: %1 is the name of a state of the fixture
        menu->addAction(tr("Apply \"%1\"").arg(text), this, [this, name] {
            const sfp::CardSession::Source recalled(
                m_card, QStringLiteral("fixture state \"%1\"").arg(name), m_card->source());
            const sfp::Refusal refusal = m_card->recallState(name);
            if (!refusal.isNone())
                showRefusal(0, refusal.operatorReason());
        });
    }
    for (const sfp::FixtureSequence &sequence : m_card->fixture().sequences) {
        QString text = sequence.name;
        text.replace(QLatin1Char('&'), QStringLiteral("&&"));
        //: %1 is the name of a stored sequence of the fixture
        menu->addAction(tr("Run sequence \"%1\"").arg(text), this,
                        [this, name = sequence.name] { runSequence(name); });
    }
    if (!menu->actions().constLast()->isSeparator())
        menu->addSeparator();
    menu->addAction(tr("Save current state as..."), this, &qx5170fp_App::saveStateAs);
    return menu;
}

void qx5170fp_App::runSequence(const QString &name)
{
    // Set before the run: its first steps are taken before it returns, and
    // may end it.
    m_sequenceFromMenu = true;
    const sfp::Refusal refusal = m_card->scan()->runSequence(name);
    if (!refusal.isNone()) {
        m_sequenceFromMenu = false;
        showRefusal(0, refusal.operatorReason());
    }
}

void qx5170fp_App::saveStateAs()
{
    bool accepted = false;
    const QString name = QInputDialog::getText(
        this, tr("Save state"),
        //: %1 is the greatest number of characters of a name
        tr("Name of the state (the closed relays, the mode and the exclusive rule), "
           "up to %1 characters; a state of that name is replaced:")
            .arg(sfp::Fixture::nameLength),
        QLineEdit::Normal, QString(), &accepted);
    if (!accepted)
        return;
    QList<int> closed;
    for (int relay = 1; relay <= sfp::relayCount; ++relay) {
        if (m_card->isClosed(relay))
            closed.append(relay);
    }
    const sfp::Refusal refusal = m_card->defineState(name.trimmed(), closed);
    if (!refusal.isNone())
        QMessageBox::warning(this, tr("Save state"),
                             //: %1 says why
                             tr("The state was not saved: %1.").arg(refusal.operatorReason()));
}

void qx5170fp_App::triggerClick_slot()
{
    m_card->trigger();
}

void qx5170fp_App::updateClick_slot()
{
    m_card->update();
}

void qx5170fp_App::modeSelect_slot(int indx)
{
    m_card->selectMode(sfp::SwitchingMode(indx));
}

void qx5170fp_App::showMode(sfp::SwitchingMode mode)
{
    modeCombo->setCurrentIndex(int(mode));
    updateBtn->setEnabled(mode == sfp::SwitchingMode::SyncCommand);
    triggerBtn->setEnabled(mode == sfp::SwitchingMode::SyncTrigger);
}

void qx5170fp_App::showExclusive(bool on)
{
    exclusiveChk->setChecked(on);
}

void qx5170fp_App::stateChange_slot()
{
    // The card session knows whether a switch waits on the card.
    syncLed->setValue(!m_card->isSynchronized());
}

void qx5170fp_App::exclusiveToggle_slot(bool on)
{
    // One rule for the whole card, applied pair by pair from the first.
    m_card->setExclusive(on);
}
