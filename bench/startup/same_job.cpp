// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The yardstick of the start-up benchmark: a bare Qt program that does the
// panel's job up to its first question, and nothing else: the same style,
// a splash of the same size (a plain picture with one line of text), then
// the same question box with the same texts, icon and buttons.
//
//   same_job            run until the box is answered
//   same_job --exit     end at the top of main (library loading only)
#include <QApplication>
#include <QFont>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSplashScreen>
#include <QStyleFactory>

#include <cstring>

int main(int argc, char *argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--exit") == 0)
        return 0;

    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    QPixmap picture(520, 400);
    picture.fill(QColor(0x1f, 0x3a, 0x5f));
    {
        QPainter painter(&picture);
        painter.setPen(Qt::white);
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 14));
        painter.drawText(picture.rect(), Qt::AlignCenter,
                         QStringLiteral("32-Channel Relay/Switching Function Card"));
    }
    QSplashScreen splash(picture);
    splash.show();

    QPixmap icon(16, 16);
    icon.fill(Qt::darkGreen);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Orbelan 5170 SFP: Select Function Card"),
                    QStringLiteral("How to connect to 5170 Function Card?"), QMessageBox::NoButton,
                    nullptr);
    box.setWindowIcon(QIcon(icon));
    QPushButton *autoFind = box.addButton(QStringLiteral("Auto Find"), QMessageBox::ActionRole);
    box.addButton(QStringLiteral("Run In Demo Mode"), QMessageBox::ActionRole);
    box.addButton(QStringLiteral("Enter Address"), QMessageBox::ActionRole);
    QPushButton *cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(autoFind);
    box.setEscapeButton(cancel);
    box.exec();
    return 0;
}
