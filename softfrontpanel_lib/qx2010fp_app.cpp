// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "qx2010fp_app.h"

#include "qx2010fp_led.h"
#include "sfpicons.h"
#include "sfpmessages.h"
#include "sfpstyle.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWhatsThis>

#include <utility>

namespace {

const char *const autoscaleHelp
    = QT_TRANSLATE_NOOP("qx2010fp_app", "Enables/disables plot autorescale feature");
const char *const identHelp
    = QT_TRANSLATE_NOOP("qx2010fp_app", "Enables/disables visual identification mechanism");
const char *const startSingleHelp
    = QT_TRANSLATE_NOOP("qx2010fp_app", "Starts the single-shot data acquisition");
const char *const restartSingleHelp
    = QT_TRANSLATE_NOOP("qx2010fp_app", "Starts the Single-Shot Data Acquisition");
const char *const breakSingleHelp
    = QT_TRANSLATE_NOOP("qx2010fp_app", "Breaks the Single-Shot Data Acquisition");
const char *const startContHelp
    = QT_TRANSLATE_NOOP("qx2010fp_app",
                        "<html>Starts the repetitive data acquisition (or continuous data "
                        "acquisition, when file storage option is turned on)</html>");
const char *const stopContHelp
    = QT_TRANSLATE_NOOP("qx2010fp_app", "Stops the Data Acquisition process");

// Tool tip and What's This text of a button, in the operator's language.
void setHelp(QWidget *widget, const char *source)
{
    const QString text = qx2010fp_app::tr(source);
    widget->setWhatsThis(text);
    widget->setToolTip(text);
}

QString onOffText(bool on)
{
    //: State of a toggle button
    return on ? qx2010fp_app::tr("ON") : qx2010fp_app::tr("OFF");
}

QLabel *centredLabel(const QString &text)
{
    auto *label = new QLabel(text);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QPushButton *iconButton(const QPixmap &icon)
{
    auto *button = new QPushButton;
    button->setIcon(QIcon(icon));
    button->setCheckable(true);
    return button;
}

} // namespace

QRect centeredOnDesktopGeometry(const QRect &available, const QSize &size)
{
    return QRect((available.width() - size.width()) / 2, (available.height() - size.height()) / 2,
                 size.width(), size.height());
}

void centerOnDesktop(QWidget *widget)
{
    // Without any screen (a display that went away) there is nothing to
    // centre on; leave the widget where it is rather than index an empty list.
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (!widget || screens.isEmpty())
        return;
    const QRect geometry = widget->geometry();
    widget->setGeometry(
        centeredOnDesktopGeometry(screens.at(0)->availableGeometry(), geometry.size()));
}

qx2010fp_app::qx2010fp_app()
{
    sfpApplyApplicationStyle();
    panelReady = false;

    auto *mainLayout = new QVBoxLayout;
    auto *headerLayout = new QHBoxLayout;
    auto *bodyLayout = new QHBoxLayout;
    buttonColumn = new QVBoxLayout;
    auto *ledLayout = new QVBoxLayout;
    const int h = fontMetrics().height();

    mainLayout->setSpacing(h);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    headerLayout->setSpacing(0);
    bodyLayout->setSpacing(h);
    bodyLayout->setContentsMargins(h / 2, 0, 0, h / 2);
    buttonColumn->setSpacing(h / 2);
    buttonColumn->setContentsMargins(0, 0, h / 2, h / 2);
    ledLayout->setSpacing(h);

    mainLayout->addLayout(headerLayout);
    mainLayout->addLayout(bodyLayout);
    panelWidget = new QWidget;
    panelWidget->setObjectName(QStringLiteral("panelWidget"));
    bodyLayout->addWidget(panelWidget);
    bodyLayout->addLayout(buttonColumn);
    setPanelLayout(mainLayout);

    setWindowIcon(QIcon(sfpIcons::panel()));

    auto *makerLogoLbl = new QLabel;
    makerLogoLbl->setPixmap(QPixmap(QStringLiteral(":/tarvex-logo.bmp")));
    headerLayout->addWidget(makerLogoLbl);
    titleLbl = new QLabel;
    titleLbl->setStyleSheet(
        QStringLiteral("QLabel { background-color: #1a2c5e; color: #ffffff; font: bold 20px}"));
    titleLbl->setAlignment(Qt::AlignCenter);
    titleLbl->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
    headerLayout->addWidget(titleLbl);
    logoLbl = new QLabel;
    logoLbl->setPixmap(QPixmap(QStringLiteral(":/vxi-logo.bmp")));
    headerLayout->addWidget(logoLbl);

    auto *ledBox = new QGroupBox;
    ledBox->setLayout(ledLayout);
    //: LED that is lit while the panel drives a real card
    activeLed = new qx2010fp_led(tr("Active"), Qt::green, Qt::magenta);
    activeLed->setWhatsThis(tr("Green light means that the Soft Front Panel works\n"
                               "in Real (not Demo) mode."));
    moduleLbl = new QLabel;
    cardLbl = new QLabel;
    ledLayout->addWidget(activeLed);
    ledLayout->addWidget(moduleLbl);
    ledLayout->addWidget(cardLbl);
    buttonColumn->addWidget(ledBox);
    buttonColumn->addStretch();

    autoscaleLbl = centredLabel(tr("Autoscale"));
    autoscaleBtn = new QPushButton(onOffText(true));
    autoscaleBtn->setCheckable(true);
    autoscaleBtn->setChecked(true);
    setHelp(autoscaleBtn, autoscaleHelp);
    buttonColumn->addWidget(autoscaleLbl);
    buttonColumn->addWidget(autoscaleBtn);
    autoscaleLbl->hide();
    autoscaleBtn->hide();
    buttonColumn->addStretch();

    identLbl = centredLabel(tr("Identify"));
    identBtn = new QPushButton(onOffText(false));
    identBtn->setCheckable(true);
    identBtn->setChecked(false);
    setHelp(identBtn, identHelp);
    buttonColumn->addWidget(identLbl);
    buttonColumn->addWidget(identBtn);
    identLbl->hide();
    identBtn->hide();
    buttonColumn->addStretch();

    startBtn = iconButton(sfpIcons::singleShotStart());
    setHelp(startBtn, startSingleHelp);
    startContBtn = iconButton(sfpIcons::repetitiveStart());
    setHelp(startContBtn, startContHelp);
    buttonColumn->addWidget(startBtn);
    buttonColumn->addWidget(startContBtn);
    startBtn->hide();
    startContBtn->hide();
    buttonColumn->addStretch();

    resetBtn = new QPushButton(tr("Reset Device"));
    buttonColumn->addWidget(resetBtn);
    buttonColumn->addStretch();

    const QPixmap whatsThisIcon = sfpIcons::whatsThis();
    helpBtn = new QPushButton;
    helpBtn->setIcon(QIcon(whatsThisIcon));
    helpBtn->setIconSize(whatsThisIcon.size());
    helpBtn->setWhatsThis(tr("Show on-line help for Instrument Soft Front Panel components"));
    //: Button that shows the About box
    aboutBtn = new QPushButton(tr("About"));
    aboutBtn->setWhatsThis(tr("Displays \"About\" panel"));
    //: Button that closes the main window and ends the program
    closeBtn = new QPushButton(tr("Close"));
    closeBtn->setWhatsThis(tr("Close main panel and terminates program"));
    buttonColumn->addWidget(helpBtn);
    buttonColumn->addWidget(aboutBtn);
    buttonColumn->addWidget(closeBtn);

    // Found by these names by whoever reads the window: tests, automation.
    const std::pair<QPushButton *, const char *> namedButtons[]
        = {{autoscaleBtn, "autoscaleBtn"}, {identBtn, "identBtn"}, {startBtn, "startBtn"},
           {startContBtn, "startContBtn"}, {resetBtn, "resetBtn"}, {helpBtn, "helpBtn"},
           {aboutBtn, "aboutBtn"},         {closeBtn, "closeBtn"}};
    for (const auto &[button, name] : namedButtons)
        button->setObjectName(QLatin1String(name));

    connect(autoscaleBtn, &QPushButton::toggled, this, &qx2010fp_app::autoscaleToggledSlot);
    connect(identBtn, &QPushButton::toggled, this, &qx2010fp_app::identToggledSlot);
    connect(startBtn, &QPushButton::toggled, this, &qx2010fp_app::startToggledSlot);
    connect(startContBtn, &QPushButton::toggled, this, &qx2010fp_app::startContToggledSlot);
    connect(resetBtn, &QPushButton::clicked, this, &qx2010fp_app::resetPressed);
    connect(helpBtn, &QPushButton::clicked, this, &qx2010fp_app::enterWIT);
    connect(closeBtn, &QPushButton::clicked, this, &qx2010fp_app::close);

    panelReady = true;
    mainLayout->setSizeConstraint(QLayout::SetMinimumSize);
    centerOnDesktop(this);
}

qx2010fp_app::~qx2010fp_app() = default;

void qx2010fp_app::setHeaderText(const QString &text)
{
    titleLbl->setText(text);
}

void qx2010fp_app::setLxiLogo(bool lxi)
{
    // The window never moves back from an LXI box to a VXI mainframe, so
    // false leaves the logo as it is.
    if (lxi)
        logoLbl->setPixmap(QPixmap(QStringLiteral(":/lxi-logo.bmp")));
}

void qx2010fp_app::setDemoMode(bool demo)
{
    activeLed->setValue(!demo);
}

void qx2010fp_app::setModuleInfo(const QString &text, const QString &helpText)
{
    moduleLbl->setText(text);
    if (!helpText.isEmpty())
        moduleLbl->setWhatsThis(helpText);
}

void qx2010fp_app::setCardInfo(const QString &text, const QString &helpText)
{
    cardLbl->setText(text);
    if (!helpText.isEmpty())
        cardLbl->setWhatsThis(helpText);
}

void qx2010fp_app::setPlatformInfo(const QString &text)
{
    // Made on first use: a panel on the vendor's libraries shows no line
    // for it.
    if (!platformLbl) {
        platformLbl = new QLabel;
        platformLbl->setObjectName(QStringLiteral("platformInfo"));
        platformLbl->setWhatsThis(
            tr("The panel runs on the simulated platform that comes with it: the relays it "
               "switches are simulated, no card's relays move."));
        auto *column = qobject_cast<QBoxLayout *>(cardLbl->parentWidget()->layout());
        column->insertWidget(column->indexOf(cardLbl) + 1, platformLbl);
    }
    platformLbl->setText(text);
}

void qx2010fp_app::setRemoteInfo(const QString &text)
{
    // Made on first use: a panel without a remote control shows no line for
    // it.
    if (!remoteLbl) {
        remoteLbl = new QLabel;
        remoteLbl->setObjectName(QStringLiteral("remoteInfo"));
        remoteLbl->setWhatsThis(
            tr("Address of the SCPI remote control, the clients connected to it, and whether a "
               "client has locked the panel's controls."));
        QLabel *above = platformLbl ? platformLbl : cardLbl;
        auto *column = qobject_cast<QBoxLayout *>(above->parentWidget()->layout());
        column->insertWidget(column->indexOf(above) + 1, remoteLbl);
    }
    remoteLbl->setText(text);
}

void qx2010fp_app::setPanelLayout(QLayout *layout)
{
    // The frame's own layout goes onto the window; everything after it is a
    // card's panel and goes into the panel area.
    if (panelReady)
        panelWidget->setLayout(layout);
    else
        setLayout(layout);
}

void qx2010fp_app::showAutoscale(bool show)
{
    autoscaleLbl->setVisible(show);
    autoscaleBtn->setVisible(show);
    if (show)
        resize(800, 600);
}

void qx2010fp_app::showIdentify(bool show)
{
    identLbl->setVisible(show);
    identBtn->setVisible(show);
}

void qx2010fp_app::enterWIT()
{
    QWhatsThis::enterWhatsThisMode();
}

void qx2010fp_app::userBreak()
{
    if (startContBtn->isChecked())
        startContBtn->toggle();
    if (startBtn->isChecked())
        startBtn->toggle();
    startBtn->setEnabled(true);
    startContBtn->setEnabled(true);
}

void qx2010fp_app::enableStart()
{
    startContBtn->setEnabled(true);
    startBtn->setEnabled(true);
}

void qx2010fp_app::autoscaleToggledSlot(bool status)
{
    autoscaleBtn->setText(onOffText(status));
    emit autoscaleToggled(status);
}

void qx2010fp_app::identToggledSlot(bool status)
{
    identBtn->setText(onOffText(status));
    emit identToggled(status);
}

// Stopping leaves both buttons disabled until the card panel reports through
// enableStart() that the acquisition has really ended.
void qx2010fp_app::startToggledSlot(bool status)
{
    if (status) {
        startBtn->setIcon(QIcon(sfpIcons::stop()));
        setHelp(startBtn, breakSingleHelp);
        startContBtn->setEnabled(false);
        emit startSingle();
    } else {
        startBtn->setIcon(QIcon(sfpIcons::singleShotStart()));
        setHelp(startBtn, restartSingleHelp);
        startBtn->setEnabled(false);
        startContBtn->setEnabled(false);
        emit breakSingle();
    }
}

void qx2010fp_app::startContToggledSlot(bool status)
{
    if (status) {
        startContBtn->setIcon(QIcon(sfpIcons::stop()));
        setHelp(startContBtn, stopContHelp);
        startBtn->setEnabled(false);
        emit startCont();
    } else {
        startContBtn->setIcon(QIcon(sfpIcons::repetitiveStart()));
        setHelp(startContBtn, startContHelp);
        startBtn->setEnabled(false);
        startContBtn->setEnabled(false);
        emit stopCont();
    }
}

void qx2010fp_app::closeEvent(QCloseEvent *event)
{
    QMessageBox question(QMessageBox::Question,
                         QStringLiteral("Orbelan ") + qx2010fp_sfpName + QStringLiteral(" SFP"),
                         tr("Do you really want to exit?"), QMessageBox::NoButton,
                         QApplication::activeWindow());
    QPushButton *yes = question.addButton(QMessageBox::Yes);
    QPushButton *no = question.addButton(QMessageBox::No);
    question.setDefaultButton(yes);
    question.setEscapeButton(no);
    question.exec();
    if (question.clickedButton() == yes)
        event->accept();
    else
        event->ignore();
}
