// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Everything the program draws itself, compared pixel by pixel with the
// reference pictures in references/: the lamps, the relay icons, the frame,
// the splash, the About box, the relay panel in each mode, the first box,
// the address dialog, the exit question, the switching log and the
// licence. A rim one
// shade off, a margin one pixel wider or a picture moved by one pixel is
// what a person comparing two screenshots sees, and what reading a few
// geometry numbers misses.
//
// Every picture is drawn offscreen in the Fusion style with DejaVu Sans at
// 9 points and 96 dots per inch. A pixel may differ from its reference by at
// most 1 in 255 per channel: that is the rounding in which the toolkit's
// blending routines for different processors may disagree; antialiased
// edges drawn from the same geometry do not differ more.
//
// A picture that differs is written to pictures-out/ in the build (or to
// $SFP_PICTURES_OUT) as <name>.png, with <name>-diff.png beside it: black
// where the pictures agree, red where they differ beyond the tolerance,
// yellow where a size differs. scripts/update-references.sh makes the
// references again; their change is reviewed like any other.
#include "panelsetup.h"
#include "qtlicense.h"
#include "qx2010fp_about.h"
#include "qx2010fp_app.h"
#include "qx2010fp_fcselect.h"
#include "qx2010fp_led.h"
#include "qx2010fp_splashlabel.h"
#include "qx5170_fc.h"
#include "qx5170_sfprelaypair.h"
#include "qx5170fp_app.h"
#include "relayicons.h"
#include "sfpstyle.h"
#include "sfptest.h"
#include "switchinglog.h"
#include "switchinglogview.h"
#include "translation.h"

#include "sim_control.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontInfo>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyle>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

constexpr int tolerance = 1;

const QLatin1String copyrightNotice("Copyright (C) Tarvex. All rights reserved.");
const QLatin1String relayTitle("32-Channel Relay/Switching Function Card");

const char oneCardSystem[] = R"({"resources": [
    {"descriptor": "VXI0::1::INSTR", "slot": 5,
     "motherboard": {"code": "0x0B52", "positions": 4,
                     "cards": [{"position": 2, "code": "0x5170"}]}}]})";

QString outputFolder()
{
    const QByteArray chosen = qgetenv("SFP_PICTURES_OUT");
    return chosen.isEmpty() ? QStringLiteral(SFP_PICTURES_OUT) : QString::fromLocal8Bit(chosen);
}

int channelDistance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
}

// Empty when picture matches the reference called name; otherwise what is
// wrong, and in diff where.
QString differenceFromReference(const QImage &picture, const QString &name, QImage *diff = nullptr)
{
    const QString referencePath = QStringLiteral(SFP_REFERENCE_DIR "/%1.png").arg(name);
    const QImage actual = picture.convertToFormat(QImage::Format_ARGB32);
    QImage reference;
    if (QFile::exists(referencePath))
        reference = QImage(referencePath).convertToFormat(QImage::Format_ARGB32);

    QString problem;
    int worst = 0;
    int differing = 0;
    const QSize both = actual.size().expandedTo(reference.size());
    QImage where(both, QImage::Format_ARGB32);
    where.fill(Qt::black);
    if (reference.isNull()) {
        problem = QStringLiteral("no reference picture %1").arg(referencePath);
    } else {
        for (int y = 0; y < both.height(); ++y) {
            for (int x = 0; x < both.width(); ++x) {
                if (!actual.valid(x, y) || !reference.valid(x, y)) {
                    where.setPixel(x, y, qRgb(255, 255, 0));
                    continue;
                }
                const int distance = channelDistance(actual.pixel(x, y), reference.pixel(x, y));
                worst = std::max(worst, distance);
                if (distance > tolerance) {
                    ++differing;
                    where.setPixel(x, y, qRgb(255, 0, 0));
                }
            }
        }
        if (actual.size() != reference.size())
            problem = QStringLiteral("%1 is %2 x %3 pixels, its reference %4 x %5")
                          .arg(name)
                          .arg(actual.width())
                          .arg(actual.height())
                          .arg(reference.width())
                          .arg(reference.height());
        else if (differing > 0)
            problem = QStringLiteral("%1: %2 pixels differ from the reference, by up to %3 in 255")
                          .arg(name)
                          .arg(differing)
                          .arg(worst);
    }
    if (diff)
        *diff = where;
    return problem;
}

// Empty when picture matches its reference; otherwise what is wrong, with
// the picture and its difference written for a person to see.
QString checkAgainstReference(const QImage &picture, const QString &name)
{
    QImage diff;
    const QString problem = differenceFromReference(picture, name, &diff);
    if (problem.isEmpty())
        return {};
    const QDir out(outputFolder());
    if (!out.mkpath(QStringLiteral("."))
        || !picture.save(out.filePath(name + QStringLiteral(".png")))
        || !diff.save(out.filePath(name + QStringLiteral("-diff.png"))))
        return problem
            + QStringLiteral(" (and the picture could not be written to %1)").arg(out.path());
    return problem + QStringLiteral("; the picture and its difference are in %1").arg(out.path());
}

#define COMPARE_WITH_REFERENCE(picture, name) \
    do { \
        const QString problem = checkAgainstReference((picture), (name)); \
        QVERIFY2(problem.isEmpty(), qPrintable(problem)); \
    } while (false)

QImage drawn(QWidget &widget)
{
    return widget.grab().toImage();
}

using sfptest::namedChild;

// For a modal dialog: draws it into `into`, then presses the button whose
// text (without its accelerator's '&') is `button`, or rejects it.
std::function<void(QWidget *)> grabAndPress(QImage *into, const QString &button)
{
    return [into, button](QWidget *dialog) {
        *into = drawn(*dialog);
        for (auto *candidate : dialog->findChildren<QPushButton *>()) {
            if (candidate->text().remove(QLatin1Char('&')) == button) {
                candidate->click();
                return;
            }
        }
        QMetaObject::invokeMethod(dialog, "reject");
    };
}

} // namespace

class tst_Pictures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void theComparisonSeesADifference();
    void lamps_data();
    void lamps();
    void relayIcons();
    void frame();
    void splash_data();
    void splash();
    void aboutBox();
    void selectionDialog();
    void relayPanel_data();
    void relayPanel();
    void connectedPanel();
    void dialogsOnTheWay();
    void otherLanguages_data();
    void otherLanguages();
    void switchingLog();
    void licence();

private:
    void writeTypedHistory();

    std::unique_ptr<qx5170_fc> m_fc;
    std::unique_ptr<qx5170fp_App> m_panel;
    QTemporaryDir m_config;
};

void tst_Pictures::initTestCase()
{
    sfpApplyApplicationStyle();
    QApplication::setPalette(QApplication::style()->standardPalette());
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(9);
    QApplication::setFont(font);
    // Without the font every picture differs; say why once.
    QVERIFY2(QFontInfo(QApplication::font()).family() == QLatin1String("DejaVu Sans"),
             "DejaVu Sans is not installed (Debian's fonts-dejavu-core)");
    QVERIFY(m_config.isValid());
    qputenv("ALLUSERSPROFILE", QFile::encodeName(m_config.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    qputenv("XDG_STATE_HOME", QFile::encodeName(m_config.path()));
    sfptest::dismissStrayModals();
}

void tst_Pictures::init()
{
    std::string error;
    QVERIFY2(sfpsim::loadDescription(oneCardSystem, &error), error.c_str());
    sfpsim::clearFaults();
}

void tst_Pictures::cleanup()
{
    m_panel.reset();
    m_fc.reset();
    QCOMPARE(sfptest::takeStrayModals(), QStringList());
}

void tst_Pictures::theComparisonSeesADifference()
{
    // The comparison itself: one pixel two shades off, or one row more, is
    // a difference; one shade off is within the tolerance.
    const QImage reference = QPixmap(relayClosedXpm).toImage();
    QImage changed = reference.convertToFormat(QImage::Format_ARGB32);
    QVERIFY(differenceFromReference(changed, QStringLiteral("relay-closed")).isEmpty());
    changed.setPixel(3, 4, qRgba(0, 0, 0, 1));
    QVERIFY(differenceFromReference(changed, QStringLiteral("relay-closed")).isEmpty());
    changed.setPixel(3, 4, qRgba(0, 0, 0, 2));
    QVERIFY(differenceFromReference(changed, QStringLiteral("relay-closed"))
                .startsWith(QLatin1String(
                    "relay-closed: 1 pixels differ from the reference, by up to 2 in 255")));
    QVERIFY(
        differenceFromReference(reference.copy(0, 0, 19, 13), QStringLiteral("relay-closed"))
            .startsWith(QLatin1String("relay-closed is 19 x 13 pixels, its reference 19 x 12")));
    QVERIFY(differenceFromReference(reference, QStringLiteral("no-such-picture"))
                .startsWith(QLatin1String("no reference picture")));
}

void tst_Pictures::lamps_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("onColor");
    QTest::addColumn<QColor>("offColor");
    QTest::addColumn<bool>("lit");
    QTest::addColumn<int>("pixelSize");

    // The frame's "Active" lamp, unlit in the window's colour, and the
    // panel's "Synchronized" lamp, at the window's font, at a large one that
    // shows the rims' shades over many pixels, and at one too small for a
    // rim.
    const QColor window(Qt::magenta);
    for (const int size : {12, 40, 8}) {
        const QByteArray at = QByteArray::number(size);
        QTest::addRow("active-lit-%s", at.constData())
            << QStringLiteral("Active") << QColor(Qt::green) << window << true << size;
        QTest::addRow("active-unlit-%s", at.constData())
            << QStringLiteral("Active") << QColor(Qt::green) << window << false << size;
        QTest::addRow("synchronized-lit-%s", at.constData())
            << QStringLiteral("Synchronized") << QColor(Qt::red) << QColor(Qt::green) << true
            << size;
        QTest::addRow("synchronized-unlit-%s", at.constData())
            << QStringLiteral("Synchronized") << QColor(Qt::red) << QColor(Qt::green) << false
            << size;
    }
}

void tst_Pictures::lamps()
{
    QFETCH(QString, text);
    QFETCH(QColor, onColor);
    QFETCH(QColor, offColor);
    QFETCH(bool, lit);
    QFETCH(int, pixelSize);

    qx2010fp_led led(text, onColor, offColor);
    QFont font = led.font();
    font.setPixelSize(pixelSize);
    led.setFont(font);
    led.setValue(lit);
    // Wider and higher than it needs: the lamp and its text are centred.
    led.resize(led.minimumSizeHint() + QSize(20, 6));
    COMPARE_WITH_REFERENCE(drawn(led),
                           QStringLiteral("led-") + QLatin1String(QTest::currentDataTag()));
}

void tst_Pictures::relayIcons()
{
    COMPARE_WITH_REFERENCE(QPixmap(relayOpenXpm).toImage(), QStringLiteral("relay-open"));
    COMPARE_WITH_REFERENCE(QPixmap(relayClosedXpm).toImage(), QStringLiteral("relay-closed"));
}

void tst_Pictures::frame()
{
    // The frame as it stands before a card fills it, and with the header,
    // the lamp and the information labels as a connected card fills them.
    qx2010fp_app frame;
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    COMPARE_WITH_REFERENCE(drawn(frame), QStringLiteral("frame-empty"));

    frame.setHeaderText(QStringLiteral("Orbelan 5170 Soft Front Panel"));
    frame.setLxiLogo(true);
    frame.setDemoMode(false);
    frame.setModuleInfo(QStringLiteral("Slot 5 - 3394 MB"), QString());
    frame.setCardInfo(QStringLiteral("FC 2 - 5170"), QString());
    COMPARE_WITH_REFERENCE(drawn(frame), QStringLiteral("frame-filled"));
}

void tst_Pictures::splash_data()
{
    QTest::addColumn<int>("modelCode");
    QTest::addColumn<float>("scale");
    QTest::addColumn<int>("margin");

    // The relay card's own picture; a made-up model with only the smaller
    // card picture; one with no picture at all; the texts scaled up.
    QTest::newRow("5170") << 0x5170 << 1.0f << 20;
    QTest::newRow("device-picture") << 0x4322 << 1.0f << 20;
    QTest::newRow("no-picture") << 0x4324 << 1.0f << 20;
    QTest::newRow("5170-scaled") << 0x5170 << 1.5f << 30;
}

void tst_Pictures::splash()
{
    QFETCH(int, modelCode);
    QFETCH(float, scale);
    QFETCH(int, margin);

    const qx2010fp_splashLabel splash(scale, margin, modelCode, true, copyrightNotice, relayTitle);
    COMPARE_WITH_REFERENCE(splash.toImage(),
                           QStringLiteral("splash-") + QLatin1String(QTest::currentDataTag()));
}

void tst_Pictures::aboutBox()
{
    qx2010fp_About about("1.4.2", "2.0.1", "5170", "(c) Orbelan Instruments", nullptr, "3.1");
    about.addDevice(QStringLiteral("SN 4711"), QStringLiteral("B"), QStringLiteral("5170"),
                    QString(), QString());
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    COMPARE_WITH_REFERENCE(drawn(about), QStringLiteral("about"));
}

void tst_Pictures::selectionDialog()
{
    // The scan's tree: groups, systems, a selectable card, a card of another
    // model greyed out, a serial port with no system, and both columns wide
    // enough for their texts.
    QVERIFY(sfpsim::loadDescription(R"({"resources": [
        {"descriptor": "ASRL1::INSTR"},
        {"descriptor": "VXI0::1::INSTR", "slot": 5,
         "motherboard": {"code": "0x0B52", "positions": 4,
                         "cards": [{"position": 1, "code": "0x4711"},
                                   {"position": 2, "code": "0x5170"}]}},
        {"descriptor": "TCPIP0::10.0.0.7::INSTR", "address": "10.0.0.7",
         "motherboard": {"code": 3394, "cards": [{"position": 3, "code": 20848}]}}]})"));
    qx5170_fc fc;
    qx2010fp_fcSelect dialog(&fc, 0);
    QCOMPARE(dialog.findFunctionCards(), 2);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    COMPARE_WITH_REFERENCE(drawn(dialog), QStringLiteral("selection"));
}

void tst_Pictures::relayPanel_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("exclusive");
    QTest::addColumn<bool>("update");

    // Relays 1, 2 and 5 asked closed in each mode: closed at once in the
    // asynchronous mode, waiting for the update (the lamp red) in the
    // synchronous ones, then updated; under the exclusive rule relay 1
    // opens when relay 2 closes.
    QTest::newRow("asynchronous") << 0 << false << false;
    QTest::newRow("asynchronous-exclusive") << 0 << true << false;
    QTest::newRow("sync-command-waiting") << 1 << false << false;
    QTest::newRow("sync-command-updated") << 1 << false << true;
    QTest::newRow("sync-trigger-waiting") << 2 << true << false;
    QTest::newRow("sync-trigger-updated") << 2 << true << true;
}

void tst_Pictures::relayPanel()
{
    QFETCH(int, mode);
    QFETCH(bool, exclusive);
    QFETCH(bool, update);

    m_fc = std::make_unique<qx5170_fc>();
    m_panel = sfptest::openPanel(m_fc.get(), QStringLiteral("Run In Demo Mode"));
    QVERIFY(m_panel);

    auto *modes = namedChild<QComboBox>(*m_panel, "modeCombo");
    modes->setCurrentIndex(mode);
    emit modes->activated(mode);
    if (exclusive)
        QTest::mouseClick(namedChild<QCheckBox>(*m_panel, "exclusiveChk"), Qt::LeftButton);
    QTest::mouseClick(m_panel->pair(0)->relayAButton(), Qt::LeftButton);
    QTest::mouseClick(m_panel->pair(0)->relayBButton(), Qt::LeftButton);
    QTest::mouseClick(m_panel->pair(2)->relayAButton(), Qt::LeftButton);
    if (update) {
        const char *button = mode == 1 ? "updateBtn" : "triggerBtn";
        QTest::mouseClick(namedChild<QPushButton>(*m_panel, button), Qt::LeftButton);
    }
    COMPARE_WITH_REFERENCE(drawn(*m_panel),
                           QStringLiteral("panel-") + QLatin1String(QTest::currentDataTag()));
}

void tst_Pictures::connectedPanel()
{
    // On a card: the header names it, the lamp is lit, the labels say where
    // the card sits.
    m_fc = std::make_unique<qx5170_fc>();
    m_panel = sfptest::openPanel(m_fc.get(), QStringLiteral("Auto Find"));
    QVERIFY(m_panel);
    QTest::mouseClick(m_panel->pair(15)->relayBButton(), Qt::LeftButton);
    COMPARE_WITH_REFERENCE(drawn(*m_panel), QStringLiteral("panel-connected"));
}

// Typed addresses whose newest is longer than the address box's width.
void tst_Pictures::writeTypedHistory()
{
    QVERIFY(QDir().mkpath(m_config.filePath(QStringLiteral("Tarvex"))));
    QFile history(m_config.filePath(QStringLiteral("Tarvex/DefaultInstrDescr.ini")));
    QVERIFY(history.open(QIODevice::WriteOnly | QIODevice::Truncate));
    history.write("[5170]\n1.1.Descriptor=TCPIP0::lxi-5170-rack-7-shelf-3.testfloor.lab.example::"
                  "inst0::INSTR\n1.2.Descriptor=VXI0::1::INSTR\n1.FC_Number=2\n");
}

void tst_Pictures::dialogsOnTheWay()
{
    // The first box, the address dialog as it opens on a typed history
    // whose newest address is longer than the box's width, and the exit
    // question: each grabbed while it waits for the operator.
    writeTypedHistory();

    QImage question;
    QImage address;
    QImage exitQuestion;
    sfptest::actOnNextModal(grabAndPress(&question, QStringLiteral("Enter Address")), [&] {
        sfptest::actOnNextModal(grabAndPress(&address, QStringLiteral("Cancel")), [] {
            sfptest::answerNextModal(QStringLiteral("Run In Demo Mode"));
        });
    });
    m_fc = std::make_unique<qx5170_fc>();
    m_panel = std::make_unique<qx5170fp_App>(m_fc.get());
    m_panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_panel.get()));
    sfptest::actOnNextModal(grabAndPress(&exitQuestion, QStringLiteral("No")));
    m_panel->close();
    QTRY_VERIFY(!exitQuestion.isNull());
    QVERIFY(m_panel->isVisible());

    COMPARE_WITH_REFERENCE(question, QStringLiteral("first-box"));
    COMPARE_WITH_REFERENCE(address, QStringLiteral("address"));
    COMPARE_WITH_REFERENCE(exitQuestion, QStringLiteral("exit-question"));
}

void tst_Pictures::otherLanguages_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("pointSize");
    QTest::addColumn<QString>("enterAddress");
    QTest::addColumn<QString>("cancel");
    QTest::addColumn<QString>("demo");
    // The window's font and the large one a person with poor sight sets.
    for (const int pointSize : {9, 14}) {
        QTest::addRow("de-%d", pointSize) << "de" << pointSize << "Adresse eingeben"
                                          << "Abbrechen"
                                          << "Im Demo-Modus starten";
        QTest::addRow("fr-%d", pointSize) << "fr" << pointSize << "Saisir l'adresse"
                                          << "Annuler"
                                          << "Lancer en mode démo";
    }
}

// German and French run longer than English: the first box, the address
// dialog and the relay panel (in a synchronous mode with relays waiting,
// where every control of the mode group is shown) with nothing cut.
void tst_Pictures::otherLanguages()
{
    QFETCH(QString, language);
    QFETCH(int, pointSize);
    QFETCH(QString, enterAddress);
    QFETCH(QString, cancel);
    QFETCH(QString, demo);
    const QFont before = QApplication::font();
    QFont font = before;
    font.setPointSize(pointSize);
    QApplication::setFont(font);
    sfp::translation::install(language);
    const auto restore = qScopeGuard([&before] {
        sfp::translation::install(QStringLiteral("en"));
        QApplication::setFont(before);
    });

    writeTypedHistory();
    QImage question;
    QImage address;
    sfptest::actOnNextModal(grabAndPress(&question, enterAddress), [&] {
        sfptest::actOnNextModal(grabAndPress(&address, cancel),
                                [&demo] { sfptest::answerNextModal(demo); });
    });
    m_fc = std::make_unique<qx5170_fc>();
    m_panel = std::make_unique<qx5170fp_App>(m_fc.get());
    m_panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_panel.get()));
    auto *modes = namedChild<QComboBox>(*m_panel, "modeCombo");
    modes->setCurrentIndex(1);
    emit modes->activated(1);
    QTest::mouseClick(m_panel->pair(0)->relayAButton(), Qt::LeftButton);

    const QString tag = QLatin1String(QTest::currentDataTag());
    COMPARE_WITH_REFERENCE(question, tag + QStringLiteral("-first-box"));
    COMPARE_WITH_REFERENCE(address, tag + QStringLiteral("-address"));
    COMPARE_WITH_REFERENCE(drawn(*m_panel), tag + QStringLiteral("-panel"));
}

void tst_Pictures::switchingLog()
{
    // Changes of the operator, of a client and of a command it gave, one
    // of them implied; a source far wider than its column stays on one
    // line.
    const QDateTime start
        = QDateTime::fromString(QStringLiteral("2026-12-09T12:00:00.000+01:00"), Qt::ISODateWithMs);
    const auto change = [&start](const QString &source, const QString &client, int relay,
                                 bool closed, bool implied) {
        sfp::SwitchingEvent event;
        event.kind = sfp::SwitchingEvent::Kind::Relay;
        event.time = start.addMSecs(qint64 {250} * relay);
        event.source = source;
        event.client = client;
        event.relay = relay;
        event.on = closed;
        event.implied = implied;
        event.status = 0;
        return event;
    };
    sfp::SwitchingLog log;
    log.append(change(QStringLiteral("operator"), {}, 1, true, false));
    log.append(change(QStringLiteral("socket 127.0.0.1:40112"), {}, 2, true, false));
    SwitchingLogView view(&log);
    log.append(
        change(QStringLiteral("*RCL 2"), QStringLiteral("socket 127.0.0.1:40112"), 3, true, false));
    log.append(
        change(QStringLiteral("*RCL 2"), QStringLiteral("socket 127.0.0.1:40112"), 4, false, true));
    log.append(change(QStringLiteral("fixture state \"all outputs to the load bank, rack 7 "
                                     "shelf 3 of the test floor\""),
                      QStringLiteral("vxi11 link 3"), 32, true, false));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.table()->selectRow(1);
    COMPARE_WITH_REFERENCE(drawn(view), QStringLiteral("switching-log"));
}

void tst_Pictures::licence()
{
    qtLicense viewer;
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    COMPARE_WITH_REFERENCE(drawn(viewer), QStringLiteral("licence"));
}

int main(int argc, char *argv[])
{
    // Before the application reads the fonts: only the ones the project
    // installs, whatever else this machine has.
    qputenv("FONTCONFIG_FILE", SFP_PICTURES_FONTCONFIG);
    sfptest::runChildIfRequested(argc, argv);
    sfptest::useSimulatedPlatform();
    QApplication app(argc, argv);
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);
    tst_Pictures tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_pictures.moc"
