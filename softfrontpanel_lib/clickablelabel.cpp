// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "clickablelabel.h"

#include <QCursor>
#include <QMouseEvent>

clickableLabel::clickableLabel(const QString &text, QWidget *parent)
    : QLabel(parent)
{
    setText(QStringLiteral("<u><font color='#22e'>") + text + QStringLiteral("</font></u>"));
    setCursor(Qt::PointingHandCursor);
}

clickableLabel::~clickableLabel() = default;

// Any release counts, wherever the pointer is and whichever button it was:
// the label is small and the About box has nothing else to do with a click.
void clickableLabel::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    emit clicked();
}
