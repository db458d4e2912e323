// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The main window frame: construction, the close question, the hidden
// acquisition controls, the operations for derived windows, centring and
// the application style.
#include "qx2010fp_app.h"
#include "qx2010fp_led.h"
#include "sfpicons.h"
#include "sfpmessages.h"
#include "sfpstyle.h"
#include "sfptest.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <QWhatsThis>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

// Opens the frame's members to the test, as a derived window sees them.
class Frame final : public qx2010fp_app
{
public:
    using qx2010fp_app::aboutBtn;
    using qx2010fp_app::aboutDialog;
    using qx2010fp_app::activeLed;
    using qx2010fp_app::autoscaleBtn;
    using qx2010fp_app::autoscaleLbl;
    using qx2010fp_app::buttonColumn;
    using qx2010fp_app::cardLbl;
    using qx2010fp_app::closeBtn;
    using qx2010fp_app::helpBtn;
    using qx2010fp_app::identBtn;
    using qx2010fp_app::identLbl;
    using qx2010fp_app::logoLbl;
    using qx2010fp_app::moduleLbl;
    using qx2010fp_app::panelReady;
    using qx2010fp_app::panelWidget;
    using qx2010fp_app::resetBtn;
    using qx2010fp_app::startBtn;
    using qx2010fp_app::startContBtn;
    using qx2010fp_app::titleLbl;
};

bool sameImage(const QPixmap &a, const QPixmap &b)
{
    return !a.isNull()
        && a.toImage().convertToFormat(QImage::Format_ARGB32)
        == b.toImage().convertToFormat(QImage::Format_ARGB32);
}

bool showAndActivate(QWidget &window)
{
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

} // namespace

class tst_Frame : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void applicationStyle();
    void rightHandColumn();
    void helpTexts_data();
    void helpTexts();

    void closeQuestion_data();
    void closeQuestion();

    void autoscaleToggle();
    void identifyToggle();
    void autoscaleAndIdentifyShownOnRequest();
    void helpButtonAsksWhatsThis();
    void headerAndColumnPlacement();
    void singleShotAcquisition();
    void userBreak();

    void lxiLogoStays();
    void moduleAndCardInfo();
    void demoModeDrivesTheLed();
    void panelLayoutGoesIntoPanelArea();

    void centredGeometry_data();
    void centredGeometry();
    void centerOnDesktopUsesFirstScreen();
};

void tst_Frame::init()
{
    qx2010fp_sfpName.clear();
}

void tst_Frame::applicationStyle()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Windows")));
    QCOMPARE(QApplication::style()->name(), QStringLiteral("windows"));

    sfpApplyApplicationStyle();
    QCOMPARE(QApplication::style()->name(), QStringLiteral("fusion"));
    const QStyle *fusion = QApplication::style();
    sfpApplyApplicationStyle();
    QCOMPARE(QApplication::style(), fusion);

    // The frame sets it as well, for windows built without the entry.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Windows")));
    Frame frame;
    QCOMPARE(QApplication::style()->name(), QStringLiteral("fusion"));
}

void tst_Frame::rightHandColumn()
{
    Frame frame;
    QVERIFY(showAndActivate(frame));

    for (QWidget *visible : std::initializer_list<QWidget *> {
             frame.activeLed, frame.moduleLbl, frame.cardLbl, frame.resetBtn, frame.helpBtn,
             frame.aboutBtn, frame.closeBtn})
        QVERIFY(visible->isVisible());
    for (QWidget *hidden :
         std::initializer_list<QWidget *> {frame.autoscaleLbl, frame.autoscaleBtn, frame.identLbl,
                                           frame.identBtn, frame.startBtn, frame.startContBtn})
        QVERIFY(!hidden->isVisible());

    QCOMPARE(frame.activeLed->text(), QStringLiteral("Active"));
    QVERIFY(!frame.activeLed->value());
    QCOMPARE(frame.activeLed->onColor(), QColor(Qt::green));
    QCOMPARE(frame.activeLed->offColor(), frame.activeLed->palette().color(QPalette::Window));
    QVERIFY(sameImage(frame.logoLbl->pixmap(), QPixmap(QStringLiteral(":/vxi-logo.bmp"))));

    // Top to bottom: LED group, Reset Device, help, About, Close.
    auto top = [&frame](QWidget *w) { return w->mapTo(&frame, QPoint(0, 0)).y(); };
    QVERIFY(top(frame.cardLbl) < top(frame.resetBtn));
    QVERIFY(top(frame.resetBtn) < top(frame.helpBtn));
    QVERIFY(top(frame.helpBtn) < top(frame.aboutBtn));
    QVERIFY(top(frame.aboutBtn) < top(frame.closeBtn));
}

void tst_Frame::helpTexts_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("whatsThis");
    QTest::addColumn<bool>("toolTipRepeats");

    const QString contHelp = QStringLiteral(
        "<html>Starts the repetitive data acquisition (or continuous data acquisition, "
        "when file storage option is turned on)</html>");
    QTest::newRow("autoscale") << "autoscaleBtn"
                               << "Enables/disables plot autorescale feature" << true;
    QTest::newRow("identify") << "identBtn"
                              << "Enables/disables visual identification mechanism" << true;
    QTest::newRow("single shot") << "startBtn"
                                 << "Starts the single-shot data acquisition" << true;
    QTest::newRow("repetitive") << "startContBtn" << contHelp << true;
    QTest::newRow("help") << "helpBtn"
                          << "Show on-line help for Instrument Soft Front Panel components"
                          << false;
    QTest::newRow("about") << "aboutBtn"
                           << "Displays \"About\" panel" << false;
    QTest::newRow("close") << "closeBtn"
                           << "Close main panel and terminates program" << false;
    QTest::newRow("LED") << "activeLed"
                         << "Green light means that the Soft Front Panel works\n"
                            "in Real (not Demo) mode."
                         << false;
    QTest::newRow("reset") << "resetBtn" << QString() << false;
}

void tst_Frame::helpTexts()
{
    QFETCH(QString, control);
    QFETCH(QString, whatsThis);
    QFETCH(bool, toolTipRepeats);

    Frame frame;
    const QHash<QString, QWidget *> controls {
        {QStringLiteral("autoscaleBtn"), frame.autoscaleBtn},
        {QStringLiteral("identBtn"), frame.identBtn},
        {QStringLiteral("startBtn"), frame.startBtn},
        {QStringLiteral("startContBtn"), frame.startContBtn},
        {QStringLiteral("helpBtn"), frame.helpBtn},
        {QStringLiteral("aboutBtn"), frame.aboutBtn},
        {QStringLiteral("closeBtn"), frame.closeBtn},
        {QStringLiteral("activeLed"), frame.activeLed},
        {QStringLiteral("resetBtn"), frame.resetBtn},
    };
    QWidget *widget = controls.value(control);
    QVERIFY(widget);
    QCOMPARE(widget->whatsThis(), whatsThis);
    QCOMPARE(widget->toolTip(), toolTipRepeats ? whatsThis : QString());
}

void tst_Frame::closeQuestion_data()
{
    QTest::addColumn<bool>("throughWindowSystem");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("closes");

    QTest::newRow("Close button, Yes") << false << "Yes" << true;
    QTest::newRow("Close button, No") << false << "No" << false;
    QTest::newRow("Close button, Esc") << false << QString() << false;
    QTest::newRow("window system, Yes") << true << "Yes" << true;
    QTest::newRow("window system, No") << true << "No" << false;
}

void tst_Frame::closeQuestion()
{
    QFETCH(bool, throughWindowSystem);
    QFETCH(QString, answer);
    QFETCH(bool, closes);

    Frame frame;
    QVERIFY(showAndActivate(frame));
    const auto seen = sfptest::answerNextModal(answer);
    if (throughWindowSystem)
        frame.windowHandle()->close();
    else
        QTest::mouseClick(frame.closeBtn, Qt::LeftButton);

    QVERIFY(seen->answered);
    QCOMPARE(seen->className, QStringLiteral("QMessageBox"));
    QCOMPARE(seen->title, QStringLiteral("Orbelan  SFP"));
    QCOMPARE(seen->text, QStringLiteral("Do you really want to exit?"));
    QCOMPARE(seen->icon, QStringLiteral("Question"));
    QCOMPARE(seen->buttons, QStringList({QStringLiteral("Yes"), QStringLiteral("No")}));
    QCOMPARE(seen->defaultButton, QStringLiteral("Yes"));
    QCOMPARE(seen->parent.data(), &frame);
    QCOMPARE(frame.isVisible(), !closes);
}

void tst_Frame::autoscaleToggle()
{
    Frame frame;
    QSignalSpy toggled(&frame, &qx2010fp_app::autoscaleToggled);
    frame.autoscaleBtn->click();
    QCOMPARE(frame.autoscaleBtn->text(), QStringLiteral("OFF"));
    frame.autoscaleBtn->click();
    QCOMPARE(frame.autoscaleBtn->text(), QStringLiteral("ON"));
    QCOMPARE(toggled.count(), 2);
    QCOMPARE(toggled.at(0).at(0).toBool(), false);
    QCOMPARE(toggled.at(1).at(0).toBool(), true);
}

void tst_Frame::identifyToggle()
{
    Frame frame;
    QSignalSpy toggled(&frame, &qx2010fp_app::identToggled);
    frame.identBtn->click();
    QCOMPARE(frame.identBtn->text(), QStringLiteral("ON"));
    frame.identBtn->click();
    QCOMPARE(frame.identBtn->text(), QStringLiteral("OFF"));
    QCOMPARE(toggled.count(), 2);
    QCOMPARE(toggled.at(0).at(0).toBool(), true);
    QCOMPARE(toggled.at(1).at(0).toBool(), false);
}

void tst_Frame::autoscaleAndIdentifyShownOnRequest()
{
    Frame frame;
    QVERIFY(showAndActivate(frame));
    const QSize before = frame.size();

    // Identify needs no room of its own; autoscale comes with a plot, and
    // the window grows to hold one.
    frame.showIdentify(true);
    QVERIFY(frame.identLbl->isVisible());
    QVERIFY(frame.identBtn->isVisible());
    QVERIFY(!frame.autoscaleBtn->isVisible());
    QCOMPARE(frame.identLbl->text(), QStringLiteral("Identify"));
    frame.showIdentify(false);
    QVERIFY(!frame.identLbl->isVisible());
    QVERIFY(!frame.identBtn->isVisible());

    frame.showAutoscale(false);
    QVERIFY(!frame.autoscaleLbl->isVisible());
    QCOMPARE(frame.size(), before);
    frame.showAutoscale(true);
    QVERIFY(frame.autoscaleLbl->isVisible());
    QVERIFY(frame.autoscaleBtn->isVisible());
    QCOMPARE(frame.autoscaleLbl->text(), QStringLiteral("Autoscale"));
    QCOMPARE(frame.size(), QSize(800, 600));
    frame.showAutoscale(false);
    QVERIFY(!frame.autoscaleLbl->isVisible());
    QVERIFY(!frame.autoscaleBtn->isVisible());
}

void tst_Frame::headerAndColumnPlacement()
{
    Frame frame;
    QVERIFY(showAndActivate(frame));
    frame.showAutoscale(true);
    frame.showIdentify(true);
    QTest::qWait(0);

    // The header with the title and the logo across the top, the panel
    // and the button column below it.
    QVERIFY(frame.titleLbl->isVisible());
    QVERIFY(frame.logoLbl->isVisible());
    auto top = [&frame](QWidget *w) { return w->mapTo(&frame, QPoint(0, 0)).y(); };
    const int headerBottom = top(frame.titleLbl) + frame.titleLbl->height();
    QVERIFY(headerBottom <= top(frame.panelWidget));
    QVERIFY(headerBottom <= top(frame.activeLed));

    // The column's groups share its spare height alike: Autoscale stands
    // as far below the LED group as Identify stands below Autoscale.
    QWidget *ledBox = frame.activeLed->parentWidget();
    const int belowLeds = top(frame.autoscaleLbl) - (top(ledBox) + ledBox->height());
    const int belowAutoscale
        = top(frame.identLbl) - (top(frame.autoscaleBtn) + frame.autoscaleBtn->height());
    QVERIFY2(belowLeds > frame.buttonColumn->spacing() && std::abs(belowLeds - belowAutoscale) <= 2,
             qPrintable(QStringLiteral("%1 and %2").arg(belowLeds).arg(belowAutoscale)));

    // The acquisition buttons show their pictures.
    QVERIFY(!frame.startBtn->icon().isNull());
    QVERIFY(!frame.startContBtn->icon().isNull());

    // The button column keeps half a line from the window's right edge.
    const int h = frame.fontMetrics().height();
    const int right = frame.closeBtn->mapTo(&frame, QPoint(frame.closeBtn->width(), 0)).x();
    QCOMPARE(frame.width() - right, h / 2);

    // Nothing between the title and the logo; the body starts a line below
    // the header and keeps half a line above the window's bottom edge, and
    // the column half a line more.
    auto left = [&frame](QWidget *w) { return w->mapTo(&frame, QPoint(0, 0)).x(); };
    auto bottom = [&frame](QWidget *w) { return w->mapTo(&frame, QPoint(0, w->height())).y(); };
    QCOMPARE(left(frame.logoLbl), left(frame.titleLbl) + frame.titleLbl->width());
    QCOMPARE(top(frame.panelWidget), bottom(frame.titleLbl) + h);
    QCOMPARE(frame.height() - bottom(frame.panelWidget), h / 2);
    QCOMPARE(frame.height() - bottom(frame.closeBtn), h / 2 + h / 2);

    // The header touches the window's top edge; the buttons at the foot of
    // the column stand half a line apart.
    QCOMPARE(std::min(top(frame.titleLbl), top(frame.logoLbl)), 0);
    QCOMPARE(top(frame.aboutBtn) - bottom(frame.helpBtn), h / 2);
    QCOMPARE(top(frame.closeBtn) - bottom(frame.aboutBtn), h / 2);
}

void tst_Frame::helpButtonAsksWhatsThis()
{
    Frame frame;
    QVERIFY(showAndActivate(frame));
    QVERIFY(!QWhatsThis::inWhatsThisMode());
    frame.helpBtn->click();
    QVERIFY(QWhatsThis::inWhatsThisMode());
    QWhatsThis::leaveWhatsThisMode();
    QVERIFY(!QWhatsThis::inWhatsThisMode());
}

void tst_Frame::singleShotAcquisition()
{
    Frame frame;
    QSignalSpy started(&frame, &qx2010fp_app::startSingle);
    QSignalSpy broken(&frame, &qx2010fp_app::breakSingle);

    frame.startBtn->click();
    QCOMPARE(started.count(), 1);
    QVERIFY(frame.startBtn->isChecked());
    QVERIFY(frame.startBtn->isEnabled());
    QVERIFY(!frame.startContBtn->isEnabled());
    QVERIFY(sameImage(frame.startBtn->icon().pixmap(12, 12), sfpIcons::stop()));
    QCOMPARE(frame.startBtn->whatsThis(),
             QStringLiteral("Breaks the Single-Shot Data Acquisition"));
    QCOMPARE(frame.startBtn->toolTip(), frame.startBtn->whatsThis());

    frame.startBtn->click();
    QCOMPARE(broken.count(), 1);
    QVERIFY(!frame.startBtn->isChecked());
    QVERIFY(!frame.startBtn->isEnabled());
    QVERIFY(!frame.startContBtn->isEnabled());
    QVERIFY(sameImage(frame.startBtn->icon().pixmap(12, 12), sfpIcons::singleShotStart()));
    QCOMPARE(frame.startBtn->whatsThis(),
             QStringLiteral("Starts the Single-Shot Data Acquisition"));

    frame.enableStart();
    QVERIFY(frame.startBtn->isEnabled());
    QVERIFY(frame.startContBtn->isEnabled());
    QCOMPARE(started.count(), 1);
}

void tst_Frame::userBreak()
{
    Frame frame;
    QSignalSpy stopped(&frame, &qx2010fp_app::stopCont);
    QSignalSpy broken(&frame, &qx2010fp_app::breakSingle);

    frame.startContBtn->click();
    QCOMPARE(frame.startContBtn->whatsThis(), QStringLiteral("Stops the Data Acquisition process"));
    frame.userBreak();
    QCOMPARE(stopped.count(), 1);
    QCOMPARE(broken.count(), 0);
    QVERIFY(!frame.startContBtn->isChecked());
    // Stopped, the button says again what it starts.
    QCOMPARE(frame.startContBtn->whatsThis(),
             QStringLiteral("<html>Starts the repetitive data acquisition (or continuous data "
                            "acquisition, when file storage option is turned on)</html>"));
    QVERIFY(frame.startBtn->isEnabled());
    QVERIFY(frame.startContBtn->isEnabled());

    frame.startBtn->click();
    frame.userBreak();
    QCOMPARE(broken.count(), 1);
    QCOMPARE(stopped.count(), 1);
    QVERIFY(!frame.startBtn->isChecked());
    QVERIFY(frame.startBtn->isEnabled());
    QVERIFY(frame.startContBtn->isEnabled());

    // Idle: nothing to break, nothing emitted.
    frame.userBreak();
    QCOMPARE(broken.count(), 1);
    QCOMPARE(stopped.count(), 1);
}

void tst_Frame::lxiLogoStays()
{
    Frame frame;
    const QPixmap vxi(QStringLiteral(":/vxi-logo.bmp"));
    const QPixmap lxi(QStringLiteral(":/lxi-logo.bmp"));
    frame.setLxiLogo(false);
    QVERIFY(sameImage(frame.logoLbl->pixmap(), vxi));
    frame.setLxiLogo(true);
    QVERIFY(sameImage(frame.logoLbl->pixmap(), lxi));
    frame.setLxiLogo(false);
    QVERIFY(sameImage(frame.logoLbl->pixmap(), lxi));
}

void tst_Frame::moduleAndCardInfo()
{
    Frame frame;
    frame.setModuleInfo(QStringLiteral("VXI slot 5"), QStringLiteral("Mainframe slot"));
    QCOMPARE(frame.moduleLbl->text(), QStringLiteral("VXI slot 5"));
    QCOMPARE(frame.moduleLbl->whatsThis(), QStringLiteral("Mainframe slot"));
    frame.setModuleInfo(QStringLiteral("VXI slot 9"), QString());
    QCOMPARE(frame.moduleLbl->text(), QStringLiteral("VXI slot 9"));
    QCOMPARE(frame.moduleLbl->whatsThis(), QStringLiteral("Mainframe slot"));

    frame.setCardInfo(QStringLiteral("FC 2"), QStringLiteral("Function card"));
    frame.setCardInfo(QStringLiteral("FC 3"), QString());
    QCOMPARE(frame.cardLbl->text(), QStringLiteral("FC 3"));
    QCOMPARE(frame.cardLbl->whatsThis(), QStringLiteral("Function card"));
    QCOMPARE(frame.moduleLbl->text(), QStringLiteral("VXI slot 9"));
}

void tst_Frame::demoModeDrivesTheLed()
{
    Frame frame;
    frame.setDemoMode(false);
    QVERIFY(frame.activeLed->value());
    frame.setDemoMode(true);
    QVERIFY(!frame.activeLed->value());
}

void tst_Frame::panelLayoutGoesIntoPanelArea()
{
    Frame frame;
    auto *panel = new QVBoxLayout;
    auto *content = new QLabel(QStringLiteral("Pair 1"));
    panel->addWidget(content);
    frame.setPanelLayout(panel);
    QCOMPARE(frame.panelWidget->layout(), panel);
    QCOMPARE(content->parentWidget(), frame.panelWidget);

    QVERIFY(showAndActivate(frame));
    QVERIFY(content->isVisible());
    const int contentRight = content->mapTo(&frame, QPoint(content->width(), 0)).x();
    QVERIFY(contentRight <= frame.closeBtn->mapTo(&frame, QPoint(0, 0)).x());
}

void tst_Frame::centredGeometry_data()
{
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("expected");

    QTest::newRow("full screen") << QRect(0, 0, 1920, 1080) << QSize(800, 600)
                                 << QRect(560, 240, 800, 600);
    QTest::newRow("odd leftover truncates")
        << QRect(0, 0, 1001, 601) << QSize(100, 100) << QRect(450, 250, 100, 100);
    QTest::newRow("task bar at the top")
        << QRect(0, 40, 1920, 1040) << QSize(800, 600) << QRect(560, 220, 800, 600);
    QTest::newRow("task bar on the left")
        << QRect(64, 0, 1856, 1080) << QSize(800, 600) << QRect(528, 240, 800, 600);
    QTest::newRow("larger than the screen")
        << QRect(0, 0, 800, 600) << QSize(1001, 701) << QRect(-100, -50, 1001, 701);
}

void tst_Frame::centredGeometry()
{
    QFETCH(QRect, available);
    QFETCH(QSize, size);
    QFETCH(QRect, expected);
    QCOMPARE(centeredOnDesktopGeometry(available, size), expected);
}

void tst_Frame::centerOnDesktopUsesFirstScreen()
{
    // Two screens, 1000 x 700 and 1600 x 1200: the widget is centred in the
    // first one's available area.
    QTemporaryDir folder;
    const QString screens = folder.filePath("screens.json");
    QFile file(screens);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"screens": [
        {"name": "first", "x": 0, "y": 0, "width": 1000, "height": 700},
        {"name": "second", "x": 1000, "y": 0, "width": 1600, "height": 1200}]})");
    file.close();
    const sfptest::ChildResult twoScreens
        = sfptest::runInChild("centreWidget", {"QT_QPA_PLATFORM=offscreen:configfile=" + screens});
    QCOMPARE(twoScreens.exitStatus, sfptest::childReturnedStatus);
    QVERIFY2(twoScreens.output.contains("geometry 340,245 320x210"), twoScreens.output.constData());

    // The test's own screen, 800 x 800.
    QWidget widget;
    widget.setGeometry(3, 7, 320, 210);
    centerOnDesktop(&widget);
    QCOMPARE(widget.geometry(), QRect(240, 295, 320, 210));

    // No widget: nothing to move, and no fault.
    centerOnDesktop(nullptr);
}

SFPTEST_CHILD(centreWidget)
{
    QWidget widget;
    widget.setGeometry(3, 7, 320, 210);
    centerOnDesktop(&widget);
    const QRect geometry = widget.geometry();
    std::printf("geometry %d,%d %dx%d\n", geometry.x(), geometry.y(), geometry.width(),
                geometry.height());
    std::fflush(stdout);
}

SFPTEST_MAIN(tst_Frame)
#include "tst_frame.moc"
