// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The common main window of the soft front panels: dark header with the
// maker's logo, a title and the system logo; the card's panel area on the
// left; the "Active" LED and the standard buttons on the right.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

class QCloseEvent;
class QLabel;
class QLayout;
class QPushButton;
class QVBoxLayout;
class qx2010fp_About;
class qx2010fp_led;

// Where centerOnDesktop puts a window of the given size on a screen whose
// available area is available: centred on the area's size, counted from the
// screen's corner rather than from the area's own origin.
QRect centeredOnDesktopGeometry(const QRect &available, const QSize &size);

// Centres widget on the available area of the first screen.
void centerOnDesktop(QWidget *widget);

class qx2010fp_app : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(qx2010fp_app)

public:
    qx2010fp_app();
    ~qx2010fp_app() override;

    void setHeaderText(const QString &text);
    void setLxiLogo(bool lxi);
    void setDemoMode(bool demo);
    void setModuleInfo(const QString &text, const QString &helpText);
    void setCardInfo(const QString &text, const QString &helpText);
    // The line under the card information that says the panel runs on the
    // simulated platform.
    void setPlatformInfo(const QString &text);
    // The line under the card information (and the platform's line) while
    // the remote control runs.
    void setRemoteInfo(const QString &text);
    void setPanelLayout(QLayout *layout);
    void showAutoscale(bool show);
    void showIdentify(bool show);

signals:
    void autoscaleToggled(bool status);
    void identToggled(bool status);
    void startSingle();
    void breakSingle();
    void startCont();
    void stopCont();
    void resetPressed();

public slots:
    void enterWIT();
    void userBreak();
    void enableStart();

private slots:
    void autoscaleToggledSlot(bool status);
    void identToggledSlot(bool status);
    void startToggledSlot(bool status);
    void startContToggledSlot(bool status);

protected:
    void closeEvent(QCloseEvent *event) override;

    QPushButton *helpBtn = nullptr;
    qx2010fp_About *aboutDialog = nullptr;
    QPushButton *aboutBtn = nullptr;
    QWidget *panelWidget = nullptr;
    bool panelReady = false;
    QLabel *titleLbl = nullptr;
    QLabel *logoLbl = nullptr;
    QLabel *moduleLbl = nullptr;
    QLabel *cardLbl = nullptr;
    QLabel *platformLbl = nullptr;
    QLabel *remoteLbl = nullptr;
    qx2010fp_led *activeLed = nullptr;
    QPushButton *closeBtn = nullptr;
    QLabel *autoscaleLbl = nullptr;
    QPushButton *autoscaleBtn = nullptr;
    QVBoxLayout *buttonColumn = nullptr;
    QLabel *identLbl = nullptr;
    QPushButton *identBtn = nullptr;
    QPushButton *resetBtn = nullptr;
    QPushButton *startBtn = nullptr;
    QPushButton *startContBtn = nullptr;
};
