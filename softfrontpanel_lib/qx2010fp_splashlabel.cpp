// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "qx2010fp_splashlabel.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <cstdio>

namespace splashGeometry {

namespace {

// The text column starts where the card picture starts and is 453 pixels
// wide before the margins are taken off both sides.
constexpr int columnLeft = 67;
constexpr int columnWidth = 453;
// The name line and the title hang from this row, below the card picture.
constexpr int textTop = 236;
// Rows from textTop down to the bottom edge of the picture.
constexpr int textAreaHeight = 164;

QRect textRect(int margin, int top, int height)
{
    return QRect(margin + columnLeft, top, columnWidth - 2 * margin, height);
}

} // namespace

int scaledPointSize(float scale, double basePointSize)
{
    return static_cast<int>(double(scale) * basePointSize);
}

QFont splashFont(int pointSize)
{
    QFont font(QApplication::font().family());
    font.setPointSize(pointSize);
    font.setWeight(QFont::Bold);
    return font;
}

int lineHeight(const QFont &font, QPaintDevice *device)
{
    return QFontMetrics(font, device).height();
}

QRect nameRect(int margin, int h1)
{
    return textRect(margin, h1 / 2 + textTop, h1);
}

QRect titleRect(int margin, int h1, int h3)
{
    return textRect(margin, 2 * h1 + textTop, textAreaHeight - 2 * h1 - 3 * h3);
}

QRect noticeRect(int margin, int h3)
{
    return textRect(margin, pictureSize.height() - 2 * h3, h3);
}

int titleFlags()
{
    return Qt::AlignTop | Qt::AlignHCenter | Qt::TextWordWrap;
}

int lineFlags()
{
    return Qt::AlignCenter;
}

QString modelNumber(int modelCode, bool hexadecimal)
{
    return QStringLiteral("%1").arg(modelCode, 4, hexadecimal ? 16 : 10, QLatin1Char(' '));
}

QString nameText(int modelCode, bool hexadecimal)
{
    return QStringLiteral("Orbelan %1").arg(modelNumber(modelCode, hexadecimal));
}

QString fullPicturePath(int modelCode, bool hexadecimal)
{
    return QStringLiteral(":/qx%1fp_splash.bmp").arg(modelNumber(modelCode, hexadecimal));
}

QString devicePicturePath(int modelCode, bool hexadecimal)
{
    return QStringLiteral(":/qx%1fp_splash.png").arg(modelNumber(modelCode, hexadecimal));
}

} // namespace splashGeometry

namespace {

// The pictures of the splash are needed once, at start-up. Loading them by
// file name would keep a copy of each in the toolkit's pixmap cache for the
// whole run; going through an image does not.
QPixmap uncachedPicture(const QString &path)
{
    return QPixmap::fromImage(QImage(path));
}

} // namespace

qx2010fp_splashLabel::qx2010fp_splashLabel(float scale, int margin, int modelCode, bool hexadecimal,
                                           const QString &legalNotice, const QString &title)
    : QPixmap(uncachedPicture(QStringLiteral(":/fp_splash.png")))
{
    using namespace splashGeometry;

    QPainter painter(this);
    const QFont nameFont = splashFont(scaledPointSize(scale, nameBasePointSize));
    const QFont titleFont = splashFont(scaledPointSize(scale, titleBasePointSize));
    const QFont noticeFont = splashFont(noticePointSize);
    const int h1 = lineHeight(nameFont, this);
    const int h3 = lineHeight(noticeFont, this);

    painter.setFont(nameFont);
    painter.drawText(nameRect(margin, h1), lineFlags(), nameText(modelCode, hexadecimal));

    painter.setFont(titleFont);
    painter.drawText(titleRect(margin, h1, h3), titleFlags(), title);

    painter.setFont(noticeFont);
    painter.drawText(noticeRect(margin, h3), lineFlags(), legalNotice);

    const QPixmap fullPicture = uncachedPicture(fullPicturePath(modelCode, hexadecimal));
    if (!fullPicture.isNull() && fullPicture.size() == pictureSize) {
        painter.drawPixmap(fullPictureRegion, fullPicture.copy(fullPictureRegion));
    } else {
        const QPixmap devicePicture = uncachedPicture(devicePicturePath(modelCode, hexadecimal));
        if (!devicePicture.isNull() && devicePicture.size() == devicePictureSize) {
            painter.drawPixmap(devicePictureOrigin, devicePicture);
        } else {
            std::fputs("The size of the image of the device, that is to be used in the splash "
                       "screen, is not as required!!!\n",
                       stdout);
            std::fflush(stdout);
        }
    }
    painter.end();
}
