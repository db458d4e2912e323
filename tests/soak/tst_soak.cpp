// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Long use under faults: thousands of operator actions over every pair and
// all three switching modes while the simulated driver fails or warns at
// random. Every status is reported exactly once, no handler is cut short,
// and in the end the card holds what the panel shows.
#include "qx2010fp_led.h"
#include "qx5170_fc.h"
#include "qx5170_sfprelaypair.h"
#include "qx5170fp_app.h"
#include "sfptest.h"

#include "qx5170.h"
#include "sim_control.h"

#include <QCheckBox>
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

const char cardDescriptor[] = "VXI0::1::INSTR";
constexpr int cardPosition = 2;
constexpr int actions = 3000;

const char oneCardSystem[] = R"({"resources": [
    {"descriptor": "VXI0::1::INSTR", "slot": 5,
     "motherboard": {"code": "0x0B52", "positions": 4,
                     "cards": [{"position": 2, "code": "0x5170"}]}}]})";

// Answers every message box as an operator who wants to go on: "No" to the
// exit question, "OK" to a warning.
class PersistentAnswerer : public QObject
{
public:
    PersistentAnswerer()
    {
        connect(&m_timer, &QTimer::timeout, this, &PersistentAnswerer::answer);
        m_timer.start(0);
    }

    int errors = 0;
    int warnings = 0;
    int others = 0;

private:
    void answer()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        if (box->windowTitle().endsWith(QLatin1String(" SFP Error message"))) {
            ++errors;
            box->button(QMessageBox::No)->click();
        } else if (box->windowTitle().endsWith(QLatin1String(" SFP Warning message"))) {
            ++warnings;
            box->button(QMessageBox::Ok)->click();
        } else {
            ++others;
            box->reject();
        }
    }

    QTimer m_timer;
};

QStringList reportedCalls()
{
    // Calls whose status the panel reports; the text lookups it makes for
    // those reports are not themselves reported.
    QStringList calls;
    for (const QString &line : sfptest::trace({"qx5170_"})) {
        if (!line.startsWith("qx5170_error_message") && !line.startsWith("qx5170_revision_query"))
            calls << line;
    }
    return calls;
}

int statusOf(const QString &line)
{
    return line.section(QLatin1String(" = "), -1).toInt();
}

} // namespace

class tst_Soak : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void switchingUnderFaults();

private:
    QTemporaryDir m_profile;
};

void tst_Soak::initTestCase()
{
    QVERIFY(m_profile.isValid());
    qputenv("ALLUSERSPROFILE", m_profile.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_profile.path().toLocal8Bit());
}

void tst_Soak::switchingUnderFaults()
{
    QVERIFY(sfpsim::loadDescription(oneCardSystem));
    qx5170_fc fc;
    sfptest::answerNextModal("Auto Find");
    qx5170fp_App panel(&fc);
    QCOMPARE(sfptest::trace({"qx5170_init"}),
             QStringList(R"(qx5170_init("VXI0::1::INSTR", 2, 1, 1) = 0)"));

    QList<qx5170_sfpRelayPair *> pairs = panel.findChildren<qx5170_sfpRelayPair *>();
    std::sort(pairs.begin(), pairs.end(),
              [](auto *a, auto *b) { return a->pairNo() < b->pairNo(); });
    QCOMPARE(pairs.size(), 16);
    QList<QPushButton *> relays; // index r - 1 for relay r
    for (qx5170_sfpRelayPair *pair : pairs)
        relays << pair->relayAButton() << pair->relayBButton();
    auto *modeCombo = panel.findChild<QComboBox *>();
    auto *exclusive = panel.findChild<QCheckBox *>();
    QPushButton *update = nullptr;
    QPushButton *trigger = nullptr;
    for (QPushButton *button : panel.findChildren<QPushButton *>()) {
        if (button->text() == "Update")
            update = button;
        if (button->text() == "Trigger")
            trigger = button;
    }
    qx2010fp_led *syncLed = nullptr;
    for (qx2010fp_led *led : panel.findChildren<qx2010fp_led *>()) {
        if (led->text() == "Synchronized")
            syncLed = led;
    }
    QVERIFY(modeCombo && exclusive && update && trigger && syncLed);

    // Every toggle of a relay button must reach the driver once.
    std::vector<std::unique_ptr<QSignalSpy>> toggleSpies;
    toggleSpies.reserve(size_t(relays.size()));
    for (QPushButton *relay : relays)
        toggleSpies.push_back(std::make_unique<QSignalSpy>(relay, &QPushButton::toggled));

    const ViStatus failures[]
        = {VI_ERROR_TMO, VI_ERROR_CONN_LOST, qx5170_ERROR_NO_CARD, VI_ERROR_RSRC_BUSY, -12345};
    const ViStatus warnings[] = {VI_WARN_NSUP_RESET, VI_WARN_NSUP_ID_QUERY, 0x3FFC0999};
    QRandomGenerator random(0x5170);
    sfptest::clearTrace();
    PersistentAnswerer answerer;

    for (int step = 0; step < actions; ++step) {
        const int choice = random.bounded(100);
        const char *operation = nullptr;
        if (choice < 70)
            operation = "qx5170_switchRelay";
        else if (choice < 82)
            operation = "qx5170_setSwitchingMode";
        else if (choice < 94)
            operation = modeCombo->currentIndex() == 2 ? "qx5170_pulseSynchTrigger"
                                                       : "qx5170_updateRelaysState";

        if (operation && random.bounded(100) < 15) {
            const bool warn = random.bounded(3) == 0;
            const ViStatus status = warn ? warnings[random.bounded(int(std::size(warnings)))]
                                         : failures[random.bounded(int(std::size(failures)))];
            sfpsim::injectFault(operation, status, 1);
        }

        const int modeBefore = modeCombo->currentIndex();
        if (choice < 70) {
            relays.at(random.bounded(32))->click();
            // In a synchronous mode a switched relay is pending until applied.
            if (modeBefore != 0)
                QVERIFY(syncLed->value());
        } else if (choice < 82) {
            const int mode = random.bounded(3);
            modeCombo->setCurrentIndex(mode);
            emit modeCombo->activated(mode);
            // The operator's choice holds, whatever the driver answered.
            QCOMPARE(update->isEnabled(), mode == 1);
            QCOMPARE(trigger->isEnabled(), mode == 2);
            if (mode == 0 && modeBefore != 0)
                QVERIFY(!syncLed->value());
        } else if (choice < 94) {
            QPushButton *apply = modeBefore == 2 ? trigger : update;
            if (apply->isEnabled()) {
                apply->click();
                QVERIFY(!syncLed->value()); // green even when the call failed
            }
        } else {
            exclusive->click();
        }
        sfpsim::clearFaults(); // a fault the action did not use goes too

        // In exclusive mode no pair shows both relays on.
        if (exclusive->isChecked()) {
            for (qsizetype p = 0; p < 16; ++p)
                QVERIFY(!(relays.at(2 * p)->isChecked() && relays.at(2 * p + 1)->isChecked()));
        }
    }

    // Each non-zero status was reported once, with the right kind of box.
    const QStringList calls = reportedCalls();
    const int failed = int(std::count_if(calls.begin(), calls.end(),
                                         [](const QString &l) { return statusOf(l) < 0; }));
    const int warned = int(std::count_if(calls.begin(), calls.end(),
                                         [](const QString &l) { return statusOf(l) > 0; }));
    QVERIFY(failed > 100 && warned > 50);
    QCOMPARE(answerer.errors, failed);
    QCOMPARE(answerer.warnings, warned);
    QCOMPARE(answerer.others, 0);
    // Every toggle, also those of the exclusive rule, reached the driver.
    int toggles = 0;
    for (const auto &spy : toggleSpies)
        toggles += int(spy->count());
    QCOMPARE(int(sfptest::trace({"qx5170_switchRelay("}).size()), toggles);

    // The operator sends again what did not reach the card, goes back to
    // Asynchronous, and the card holds exactly what the panel shows.
    if (exclusive->isChecked())
        exclusive->click();
    sfpsim::CardState card;
    QVERIFY(sfpsim::cardState(cardDescriptor, cardPosition, &card));
    for (int r = 1; r <= 32; ++r) {
        if (card.commanded.at(size_t(r - 1)) != relays.at(r - 1)->isChecked()) {
            relays.at(r - 1)->click();
            relays.at(r - 1)->click();
        }
    }
    modeCombo->setCurrentIndex(0);
    emit modeCombo->activated(0);
    QVERIFY(sfpsim::cardState(cardDescriptor, cardPosition, &card));
    QCOMPARE(card.mode, 1);
    for (int r = 1; r <= 32; ++r) {
        QVERIFY2(card.applied.at(size_t(r - 1)) == relays.at(r - 1)->isChecked(),
                 qPrintable(QStringLiteral("relay %1").arg(r)));
        QVERIFY(!card.pending.at(size_t(r - 1)));
    }
    QVERIFY(!syncLed->value());
}

SFPTEST_MAIN(tst_Soak)
#include "tst_soak.moc"
