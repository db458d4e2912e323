// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Round lamp with a text label on its right: the "Active" indicator of the
// frame and the "Synchronized" indicator of the relay panel.
#pragma once

#include <QColor>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QWidget>

// Geometry of the lamp and its label for a font of line height lineHeight.
// Kept apart from the widget so that the arithmetic can be checked without
// painting anything.
namespace ledGeometry {

// Smallest size that holds the lamp, the label of width textWidth and the
// gap between them.
QSize minimumSize(int lineHeight, int textWidth);

// Left edge of the lamp in a widget of width widgetWidth: lamp and label are
// centred, so a widget narrower than the minimum shifts them left of 2.
int lampLeft(int widgetWidth, int minimumWidth);

// Start of the label's baseline for a lamp whose left edge is lampLeft.
QPoint textOrigin(int lampLeft, int lineHeight);

// Below this line height the rim cannot be drawn and the lamp is a plain disc.
constexpr int minimumBevelLineHeight = 10;

} // namespace ledGeometry

class qx2010fp_led final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(qx2010fp_led)

public:
    // offColor Qt::magenta stands for "no unlit colour of its own": the lamp
    // then takes the window's background colour when unlit.
    explicit qx2010fp_led(QString text, const QColor &onColor, const QColor &offColor,
                          QWidget *parent = nullptr);
    // onColorName in the toolkit's colour syntax, "#FF0000" when null; the
    // unlit lamp takes the window's background colour.
    explicit qx2010fp_led(QString text, const char *onColorName, QWidget *parent = nullptr);
    ~qx2010fp_led() override;

    QSize minimumSizeHint() const override;

    void setValue(bool value);
    void setOnColor(const QColor &color);
    void setOffColor(const QColor &color);
    void setText(const QString &text);

    bool value() const { return m_value != 0; }
    QColor onColor() const { return m_onColor; }
    QColor offColor() const { return m_offColor; }
    QString text() const { return m_text; }

signals:
    void valueToggled();

public slots:
    void toggleValue();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void updateAccessibleText();

    int m_value = 0;
    QColor m_onColor;
    QColor m_offColor;
    QString m_text;
};
