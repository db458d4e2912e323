// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "qx2010fp_led.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>

#include <utility>

namespace ledGeometry {

QSize minimumSize(int lineHeight, int textWidth)
{
    return QSize(lineHeight + textWidth + 1 + (lineHeight + 1) / 2, lineHeight + 2);
}

int lampLeft(int widgetWidth, int minimumWidth)
{
    // Halve rounding toward minus infinity, as an arithmetic shift does, so
    // that a too narrow widget moves the lamp left by whole pixels; written
    // out because shifting a negative value is not portable C++17.
    const int excess = widgetWidth - minimumWidth;
    const int half = excess >= 0 ? excess / 2 : -((-excess + 1) / 2);
    return half + 2;
}

QPoint textOrigin(int lampLeft, int lineHeight)
{
    return QPoint(lampLeft + lineHeight + lineHeight / 2, lineHeight - 1);
}

} // namespace ledGeometry

qx2010fp_led::qx2010fp_led(QString text, const QColor &onColor, const QColor &offColor,
                           QWidget *parent)
    : QWidget(parent)
    , m_onColor(onColor)
    , m_text(std::move(text))
{
    m_offColor = offColor == QColor(Qt::magenta) ? palette().color(QPalette::Window) : offColor;
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);
    updateAccessibleText();
}

qx2010fp_led::qx2010fp_led(QString text, const char *onColorName, QWidget *parent)
    : QWidget(parent)
    , m_text(std::move(text))
{
    m_onColor = QColor::fromString(QLatin1StringView(onColorName ? onColorName : "#FF0000"));
    m_offColor = palette().color(QPalette::Window);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);
    updateAccessibleText();
}

qx2010fp_led::~qx2010fp_led() = default;

QSize qx2010fp_led::minimumSizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    return ledGeometry::minimumSize(metrics.height(), metrics.horizontalAdvance(m_text));
}

// The lamp shows state changes at once, even while the event loop is busy
// with a driver call, hence repaint() rather than update().
void qx2010fp_led::setValue(bool value)
{
    if (value == (m_value != 0))
        return;
    m_value = value ? 1 : 0;
    updateAccessibleText();
    repaint();
}

void qx2010fp_led::setOnColor(const QColor &color)
{
    m_onColor = color;
    if (m_value)
        repaint();
}

void qx2010fp_led::setOffColor(const QColor &color)
{
    m_offColor = color;
    if (!m_value)
        repaint();
}

void qx2010fp_led::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    updateAccessibleText();
    repaint();
}

void qx2010fp_led::toggleValue()
{
    m_value = m_value ? 0 : 1;
    updateAccessibleText();
    repaint();
    emit valueToggled();
}

// The lamp's state only shows as a colour; screen readers and automation
// read it here instead.
void qx2010fp_led::updateAccessibleText()
{
    setAccessibleName(m_text);
    //: What a screen reader says of the LED: its light is on or off
    setAccessibleDescription(m_value ? tr("lit") : tr("unlit"));
}

void qx2010fp_led::paintEvent(QPaintEvent * /*event*/)
{
    QPainter painter(this);
    const QColor background = painter.background().color();
    const QColor light = background.lighter(150);
    const QColor dark = background.darker(200);
    const QColor fill = m_value ? m_onColor : m_offColor;

    const int h = fontMetrics().height();
    const int x0 = ledGeometry::lampLeft(width(), minimumSizeHint().width());

    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawText(ledGeometry::textOrigin(x0, h), m_text);

    if (h < ledGeometry::minimumBevelLineHeight) {
        painter.setBrush(QBrush(fill));
        painter.drawChord(QRect(x0, 0, h, h), 0, 5760);
        return;
    }

    auto rimPen = [](const QColor &color) {
        QPen pen(color, 1);
        pen.setCosmetic(true);
        return pen;
    };
    // Light rims over the upper left, dark ones over the lower right: the
    // lamp looks lit from the upper left, like the panel's other controls.
    painter.setPen(rimPen(light));
    painter.drawArc(QRect(x0, 0, h, h), 720, 2880);
    painter.drawArc(QRect(x0 + 2, 2, h - 4, h - 4), 720, 2880);
    painter.setPen(rimPen(dark));
    painter.drawArc(QRect(x0, 0, h, h), 3600, 2880);
    painter.drawArc(QRect(x0 + 2, 2, h - 4, h - 4), 3600, 2880);
    painter.setPen(rimPen(background));
    painter.drawArc(QRect(x0 + 1, 1, h - 2, h - 2), 0, 5760);
    painter.setPen(rimPen(fill));
    painter.setBrush(QBrush(fill));
    painter.drawChord(QRect(x0 + 3, 3, h - 6, h - 6), 0, 5760);
}
