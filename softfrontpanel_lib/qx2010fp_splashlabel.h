// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The start-up splash picture of a card's soft front panel: the common
// background, the card's name line, its description, the maker's notice and
// a picture of the card from the card program's own resources.
#pragma once

#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QPaintDevice;

// Where everything goes on the 520 x 400 picture. Kept apart from the
// painting so that the arithmetic can be checked on its own.
namespace splashGeometry {

inline constexpr QSize pictureSize(520, 400);

// The full-size card picture (first choice) must have the splash's size;
// only this part of it is copied, to the same place.
inline constexpr QRect fullPictureRegion(67, 38, 453, 199);
// The smaller card picture (second choice) must have exactly this size and
// is drawn whole at devicePictureOrigin.
inline constexpr QSize devicePictureSize(452, 194);
inline constexpr QPoint devicePictureOrigin(67, 43);

// Point sizes: the two large fonts follow the scale, truncated toward zero;
// the notice line keeps its size.
inline constexpr double nameBasePointSize = 18.0;
inline constexpr double titleBasePointSize = 12.0;
inline constexpr int noticePointSize = 8;
int scaledPointSize(float scale, double basePointSize);

// The bold font of the application's default family in which the splash
// writes its texts.
QFont splashFont(int pointSize);
// Line height of font when painting on device (a pixmap may not have the
// screen's resolution).
int lineHeight(const QFont &font, QPaintDevice *device);

// The three text rectangles share their left edge and width; h1 and h3 are
// the line heights of the name font and of the notice font.
QRect nameRect(int margin, int h1);
QRect titleRect(int margin, int h1, int h3);
QRect noticeRect(int margin, int h3);

// How the title is fitted into its rectangle: wrapped at word boundaries,
// from the top, centred; what does not fit is cut at the bottom edge.
int titleFlags();
// How the name line and the notice are placed in theirs.
int lineFlags();

// The model code as the name line and the picture names write it: four
// places wide, padded with blanks, in base 16 or 10; longer numbers are
// written whole.
QString modelNumber(int modelCode, bool hexadecimal);
QString nameText(int modelCode, bool hexadecimal);
// Resource paths of the card picture, first and second choice.
QString fullPicturePath(int modelCode, bool hexadecimal);
QString devicePicturePath(int modelCode, bool hexadecimal);

} // namespace splashGeometry

class qx2010fp_splashLabel final : public QPixmap
{
public:
    // margin is the horizontal inset of every text; scale applies to the
    // point sizes of the name line and the title.
    qx2010fp_splashLabel(float scale, int margin, int modelCode, bool hexadecimal,
                         const QString &legalNotice, const QString &title);
};
