// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Saves the first screen of the display, or the rectangle X Y W H of it, as
// a PNG file: sfp_screengrab OUT.png [X Y W H]
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QStringList>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QTextStream err(stderr);
    if (args.size() != 2 && args.size() != 6) {
        err << "usage: sfp_screengrab OUT.png [X Y W H]\n";
        return 2;
    }
    int area[4] = {0, 0, -1, -1};
    if (args.size() == 6) {
        for (int i = 0; i < 4; ++i) {
            bool ok = false;
            area[i] = args.at(2 + i).toInt(&ok);
            if (!ok) {
                err << "sfp_screengrab: not a number: " << args.at(2 + i) << "\n";
                return 2;
            }
        }
    }
    QScreen *screen = QGuiApplication::primaryScreen();
    const QPixmap shot
        = screen ? screen->grabWindow(0, area[0], area[1], area[2], area[3]) : QPixmap();
    if (shot.isNull() || !shot.save(args.at(1), "PNG")) {
        err << "sfp_screengrab: cannot save " << args.at(1) << "\n";
        return 1;
    }
    return 0;
}
