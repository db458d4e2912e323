// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "scandialog.h"

#include "scanchannels.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace sfp {

namespace {

// The trigger list's entries, in the order of ScanTrigger.
constexpr const char *triggerTitles[] = {
    QT_TRANSLATE_NOOP("sfp::ScanDialog", "Immediate"),
    QT_TRANSLATE_NOOP("sfp::ScanDialog", "Step button"),
    QT_TRANSLATE_NOOP("sfp::ScanDialog", "Timer"),
};
static_assert(std::size(triggerTitles) == 3 && int(ScanTrigger::Immediate) == 0
              && int(ScanTrigger::Bus) == 1 && int(ScanTrigger::Timer) == 2);

const char channelsHelp[]
    = QT_TRANSLATE_NOOP("sfp::ScanDialog",
                        "Channels to scan, in order, e.g. 1,3:5,(7,9).\n"
                        "A channel or a range gives one step per channel,\n"
                        "channels in parentheses are closed together in one step.");
const char delayHelp[]
    = QT_TRANSLATE_NOOP("sfp::ScanDialog",
                        "Settle time after the channels of a step close, before the step "
                        "is complete; the same for every listed channel.");
const char triggerHelp[]
    = QT_TRANSLATE_NOOP("sfp::ScanDialog",
                        "Selects what moves the scan to its next step.\n"
                        "Immediate - the next step follows once the last is complete,\n"
                        "Step button - the Step button or a script's trigger,\n"
                        "Timer - each step starts one interval after the one before.");
const char intervalHelp[] = QT_TRANSLATE_NOOP(
    "sfp::ScanDialog", "Time from the start of one step to the start of the next with the Timer.");
const char countHelp[]
    = QT_TRANSLATE_NOOP("sfp::ScanDialog", "Number of sweeps through the channel list.");
const char noEndHelp[] = QT_TRANSLATE_NOOP(
    "sfp::ScanDialog", "Sweeps through the channel list until Stop is pressed.");
const char startHelp[]
    = QT_TRANSLATE_NOOP("sfp::ScanDialog", "Applies the settings to the card and starts the scan.");
const char stepHelp[]
    = QT_TRANSLATE_NOOP("sfp::ScanDialog", "Takes the next step of a scan that waits for it.");
const char stopHelp[] = QT_TRANSLATE_NOOP(
    "sfp::ScanDialog", "Stops the scan or sequence at once; the scan's channels are opened.");
const char progressHelp[] = QT_TRANSLATE_NOOP(
    "sfp::ScanDialog", "Shows the step and sweep of the scan or sequence, or how it ended.");

void setHelp(QWidget *widget, const char *text)
{
    const QString help = ScanDialog::tr(text);
    widget->setWhatsThis(help);
    widget->setToolTip(help);
}

} // namespace

ScanDialog::ScanDialog(CardScan *scan, QWidget *parent)
    : QDialog(parent)
    , m_scan(scan)
    , m_channels(new QLineEdit)
    , m_channelsError(new QLabel)
    , m_delay(new QSpinBox)
    , m_trigger(new QComboBox)
    , m_interval(new QSpinBox)
    , m_count(new QSpinBox)
    , m_noEnd(new QCheckBox(tr("&No end")))
    , m_progress(new QLabel)
    , m_start(new QPushButton(tr("S&tart")))
    , m_step(new QPushButton(tr("Ste&p")))
    , m_stop(new QPushButton(tr("St&op")))
{
    setWindowTitle(tr("Scan"));
    setObjectName(QStringLiteral("scanDialog"));
    setModal(false);

    //: An example of a channel list, as a script writes one
    m_channels->setPlaceholderText(tr("e.g. 1,3:5,(7,9)"));
    m_channelsError->hide();
    m_delay->setRange(0, ScanSettings::maxDelayMilliseconds);
    m_interval->setRange(ScanSettings::minIntervalMilliseconds,
                         ScanSettings::maxIntervalMilliseconds);
    m_interval->setValue(ScanSettings().intervalMilliseconds);
    //: The unit after a time in milliseconds
    const QString milliseconds = tr(" ms");
    m_delay->setSuffix(milliseconds);
    m_interval->setSuffix(milliseconds);
    m_count->setRange(1, ScanSettings::maxCount);
    for (const char *title : triggerTitles)
        m_trigger->addItem(tr(title));

    auto *form = new QFormLayout;
    const auto addRow = [form](const QString &text, QWidget *field, QLayout *row = nullptr) {
        auto *label = new QLabel(text);
        label->setBuddy(field);
        if (row)
            form->addRow(label, row);
        else
            form->addRow(label, field);
    };
    addRow(tr("&Channels:"), m_channels);
    form->addRow(m_channelsError);
    addRow(tr("&Settle time:"), m_delay);
    addRow(tr("T&rigger:"), m_trigger);
    addRow(tr("&Interval:"), m_interval);
    auto *countRow = new QHBoxLayout;
    countRow->addWidget(m_count, 1);
    countRow->addWidget(m_noEnd);
    addRow(tr("Co&unt:"), m_count, countRow);

    auto *buttons = new QHBoxLayout;
    //: the button that closes the window
    auto *close = new QPushButton(tr("Close"));
    for (QPushButton *button : {m_start, m_step, m_stop, close}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    // Return in the channel list starts the scan, never steps or stops it.
    m_start->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
    // Every text is shown whole, in whatever language: the window grows to
    // it and cannot be made smaller.
    layout->setSizeConstraint(QLayout::SetMinimumSize);

    // Found by these names by whoever reads the window: tests, automation.
    m_channels->setObjectName(QStringLiteral("scanChannels"));
    m_channelsError->setObjectName(QStringLiteral("scanChannelsError"));
    m_delay->setObjectName(QStringLiteral("scanDelay"));
    m_trigger->setObjectName(QStringLiteral("scanTrigger"));
    m_interval->setObjectName(QStringLiteral("scanInterval"));
    m_count->setObjectName(QStringLiteral("scanCount"));
    m_noEnd->setObjectName(QStringLiteral("scanNoEnd"));
    m_progress->setObjectName(QStringLiteral("scanProgress"));
    m_start->setObjectName(QStringLiteral("scanStart"));
    m_step->setObjectName(QStringLiteral("scanStep"));
    m_stop->setObjectName(QStringLiteral("scanStop"));
    close->setObjectName(QStringLiteral("scanClose"));

    setHelp(m_channels, channelsHelp);
    setHelp(m_delay, delayHelp);
    setHelp(m_trigger, triggerHelp);
    setHelp(m_interval, intervalHelp);
    setHelp(m_count, countHelp);
    setHelp(m_noEnd, noEndHelp);
    setHelp(m_start, startHelp);
    setHelp(m_step, stepHelp);
    setHelp(m_stop, stopHelp);
    setHelp(m_progress, progressHelp);

    connect(m_channels, &QLineEdit::textChanged, this, &ScanDialog::checkChannels);
    connect(m_trigger, &QComboBox::currentIndexChanged, this, &ScanDialog::enableControls);
    connect(m_noEnd, &QCheckBox::toggled, this, &ScanDialog::enableControls);
    connect(m_start, &QPushButton::clicked, this, &ScanDialog::startScan);
    connect(m_step, &QPushButton::clicked, this, &ScanDialog::stepScan);
    connect(m_stop, &QPushButton::clicked, this, &ScanDialog::stopRun);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_scan, &CardScan::settingsChanged, this, &ScanDialog::showSettings);
    connect(m_scan, &CardScan::progressed, this, &ScanDialog::showProgress);
    connect(m_scan, &CardScan::finished, this, &ScanDialog::showEnding);

    showSettings();
    checkChannels();
    showProgress();
}

ScanDialog::~ScanDialog() = default;

void ScanDialog::setLocked(bool locked)
{
    m_locked = locked;
    enableControls();
}

void ScanDialog::showSettings()
{
    const ScanSettings &settings = m_scan->settings();
    // The operator's own writing of the same list stays as typed.
    const scanChannels::Reading typed = scanChannels::read(m_channels->text());
    if (!typed.error.isEmpty() || typed.steps != settings.steps)
        m_channels->setText(scanChannels::write(settings.steps));
    // One settle time stands for the listed channels: where a script gave
    // them several, the longest, which the slowest step waits.
    if (!settings.steps.isEmpty()) {
        int delay = 0;
        for (const QList<int> &step : settings.steps)
            delay = std::max(delay, settings.delayOf(step));
        m_delay->setValue(delay);
    }
    m_trigger->setCurrentIndex(int(settings.trigger));
    m_interval->setValue(settings.intervalMilliseconds);
    m_noEnd->setChecked(settings.count == 0);
    if (settings.count > 0)
        m_count->setValue(settings.count);
    enableControls();
}

void ScanDialog::showProgress()
{
    QString text;
    if (m_scan->isScanning() && m_scan->step() == 0) {
        // A scan moved by the Step button takes its first step at the
        // first press.
        text = tr("Waiting for the first Step");
    } else if (m_scan->isScanning()) {
        const int steps = int(m_scan->settings().steps.size());
        const int count = m_scan->settings().count;
        text = count > 0
            //: Where a scan stands: its step of all, its sweep of all
            ? tr("Step %1 of %2, sweep %3 of %4")
                  .arg(m_scan->step())
                  .arg(steps)
                  .arg(m_scan->sweep())
                  .arg(count)
            //: Where a scan without end stands: its step of all, its sweep
            : tr("Step %1 of %2, sweep %3").arg(m_scan->step()).arg(steps).arg(m_scan->sweep());
        if (m_scan->isWaitingForTrigger())
            //: %1 says where the scan stands
            text = tr("%1. Waiting for Step").arg(text);
    } else if (m_scan->isRunningSequence()) {
        //: %1 is the number of the sequence's steps taken
        text = tr("Sequence: step %1").arg(m_scan->step());
    } else {
        text = m_idleText.isEmpty() ? tr("Not running") : m_idleText;
    }
    m_progress->setText(text);
    enableControls();
}

void ScanDialog::showEnding(CardScan::Ending ending, const Refusal &refusal)
{
    switch (ending) {
    case CardScan::Ending::Completed:
        m_idleText = tr("Done");
        break;
    case CardScan::Ending::Stopped:
        m_idleText = tr("Stopped");
        break;
    case CardScan::Ending::Refused:
        //: %1 says why the card ended the scan or sequence
        m_idleText = tr("Ended: %1").arg(refusal.operatorReason());
        break;
    }
    showProgress();
}

void ScanDialog::enableControls()
{
    const bool running = m_scan->isRunning();
    const bool editable = !running && !m_locked;
    m_channels->setEnabled(editable);
    m_delay->setEnabled(editable);
    m_trigger->setEnabled(editable);
    m_interval->setEnabled(editable && m_trigger->currentIndex() == int(ScanTrigger::Timer));
    m_count->setEnabled(editable && !m_noEnd->isChecked());
    m_noEnd->setEnabled(editable);
    const scanChannels::Reading reading = scanChannels::read(m_channels->text());
    m_start->setEnabled(editable && reading.error.isEmpty() && !reading.steps.isEmpty());
    m_step->setEnabled(!m_locked && m_scan->isWaitingForTrigger());
    m_stop->setEnabled(running);
}

void ScanDialog::checkChannels()
{
    const QString error = scanChannels::read(m_channels->text()).error;
    m_channelsError->setText(error);
    m_channelsError->setVisible(!error.isEmpty());
    enableControls();
}

void ScanDialog::startScan()
{
    const scanChannels::Reading reading = scanChannels::read(m_channels->text());
    if (!reading.error.isEmpty() || reading.steps.isEmpty())
        return;
    ScanSettings settings = m_scan->settings();
    settings.steps = reading.steps;
    for (const QList<int> &step : reading.steps) {
        for (int relay : step)
            settings.delays[size_t(relay - 1)] = m_delay->value();
    }
    settings.trigger = ScanTrigger(m_trigger->currentIndex());
    settings.intervalMilliseconds = m_interval->value();
    settings.count = m_noEnd->isChecked() ? 0 : m_count->value();
    // The operator asks: under nobody's source, so that a script's lock
    // never makes the scan the script's.
    Refusal refusal = m_scan->setSettings(settings);
    if (refusal.isNone())
        refusal = m_scan->start();
    if (!refusal.isNone()) {
        //: %1 says why the scan was not started
        m_idleText = tr("Not started: %1").arg(refusal.operatorReason());
        showProgress();
    }
}

void ScanDialog::stepScan()
{
    m_scan->trigger();
}

void ScanDialog::stopRun()
{
    // The operator is the one who may always stop a run: a refusal here
    // would be a fault of the card's rules, said where the run is shown.
    const Refusal refusal = m_scan->stop();
    if (!refusal.isNone())
        //: %1 says why the run was not stopped
        m_progress->setText(tr("Not stopped: %1").arg(refusal.operatorReason()));
}

} // namespace sfp
