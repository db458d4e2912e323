// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "sfpstyle.h"

#include <QApplication>
#include <QString>
#include <QStyle>
#include <QStyleFactory>

void sfpApplyApplicationStyle()
{
    static const QString fusion = QStringLiteral("Fusion");
    // Setting a style re-polishes every widget; the frame and the program
    // entry both ask for it, so do the work only once.
    if (QApplication::style()->name().compare(fusion, Qt::CaseInsensitive) == 0)
        return;
    // The application takes ownership of the style object.
    QApplication::setStyle(QStyleFactory::create(fusion));
}
