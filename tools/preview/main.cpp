// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Shows the common frame with a stand-in relay panel, the LED and the About
// box, without any hardware or connection sequence: for looking at the
// artwork and the layout while the real windows are being built.
//
//   sfp_preview                     interactive
//   sfp_preview --screenshots DIR   saves frame.png, about.png and
//                                   license.png of the screen into DIR, then
//                                   quits (run it under Xvfb)

#include "qtlicense.h"
#include "qx2010fp_about.h"
#include "qx2010fp_app.h"
#include "qx2010fp_led.h"
#include "qx5170_sfprelaypair.h"
#include "sfpstyle.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QTextStream>
#include <QTimer>
#include <QVBoxLayout>

namespace {

class PreviewWindow final : public qx2010fp_app
{
public:
    PreviewWindow()
    {
        setWindowTitle(QStringLiteral("Orbelan 5170 Soft Front Panel (preview)"));
        setHeaderText(QStringLiteral("Orbelan 5170<br>32-Channel Relay Card"));
        setModuleInfo(QStringLiteral("VXI0::1::INSTR, slot 5"), QString());
        setCardInfo(QStringLiteral("FC 2: 32-channel relay"), QString());
        setDemoMode(false);

        auto *panel = new QVBoxLayout;
        auto *pairs = new QGridLayout;
        for (int pair = 0; pair < 16; ++pair)
            pairs->addWidget(new qx5170_sfpRelayPair(0, pair, true), pair / 4, pair % 4);
        panel->addLayout(pairs);

        auto *modeBox = new QGroupBox(QStringLiteral("Switching Mode"));
        auto *modeRow = new QHBoxLayout(modeBox);
        auto *mode = new QComboBox;
        mode->addItems({QStringLiteral("Asynchronous"), QStringLiteral("Sync. Command"),
                        QStringLiteral("Sync. Trigger")});
        mode->setCurrentIndex(1);
        modeRow->addWidget(mode);
        modeRow->addWidget(new QPushButton(QStringLiteral("Trigger")));
        modeRow->addWidget(new QPushButton(QStringLiteral("Update")));
        synchronized = new qx2010fp_led(QStringLiteral("Synchronized"), Qt::red, Qt::green);
        synchronized->setValue(true);
        modeRow->addWidget(synchronized);
        modeRow->addStretch();
        modeRow->addWidget(new QCheckBox(QStringLiteral("Exclusive")));
        panel->addWidget(modeBox);
        setPanelLayout(panel);

        about = new qx2010fp_About("4.3.1", "1.7.0", "5170",
                                   "Copyright (c) Orbelan Instruments. All rights reserved.", this,
                                   "2.1.0");
        connect(aboutBtn, &QPushButton::clicked, about, &QDialog::show);
    }

    qx2010fp_About *about = nullptr;
    qx2010fp_led *synchronized = nullptr;
};

bool saveScreenshot(const QWidget &window, const QDir &folder, const QString &name)
{
    const QRect area = window.frameGeometry();
    const QPixmap shot
        = window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    const QString path = folder.filePath(name);
    if (shot.isNull() || !shot.save(path)) {
        QTextStream(stderr) << "sfp_preview: cannot save " << path << "\n";
        return false;
    }
    QTextStream(stdout) << path << "\n";
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    sfpApplyApplicationStyle();

    PreviewWindow window;
    window.adjustSize();
    centerOnDesktop(&window);
    window.show();

    const QStringList args = QCoreApplication::arguments();
    const qsizetype option = args.indexOf(QStringLiteral("--screenshots"));
    if (option < 0)
        return QApplication::exec();
    if (option + 1 >= args.size()) {
        QTextStream(stderr) << "usage: sfp_preview [--screenshots FOLDER]\n";
        return 2;
    }
    const QDir folder(args.at(option + 1));

    // Each step waits for the window system to show what the previous one
    // put on the screen.
    constexpr int settleMs = 700;
    bool ok = true;
    qtLicense *license = nullptr;
    QTimer::singleShot(settleMs, &window, [&] {
        ok &= saveScreenshot(window, folder, QStringLiteral("frame.png"));
        window.about->move(window.geometry().topLeft() + QPoint(40, 40));
        window.about->show();
        QTimer::singleShot(settleMs, &window, [&] {
            ok &= saveScreenshot(*window.about, folder, QStringLiteral("about.png"));
            license = new qtLicense(window.about);
            license->move(window.geometry().topLeft() + QPoint(80, 60));
            license->show();
            QTimer::singleShot(settleMs, &window, [&] {
                ok &= saveScreenshot(*license, folder, QStringLiteral("license.png"));
                QCoreApplication::exit(ok ? 0 : 1);
            });
        });
    });
    return QApplication::exec();
}
