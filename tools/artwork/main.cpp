// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Paints the pictures that the soft front panel compiles in: the maker's
// logo, the VXI and LXI system badges, the splash background, the About side
// picture and the relay card's picture. Everything is drawn here from simple
// shapes, so the pictures can be regenerated and changed like code.
//
//   sfp_artwork <library resource folder> <program resource folder>

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// The house colours: the navy of the window header, a light sky blue for
// lines on navy, and one warm accent.
const QColor navy(0x1a, 0x2c, 0x5e);
const QColor navyDark(0x10, 0x1c, 0x3d);
const QColor navyLight(0x2a, 0x45, 0x8c);
const QColor sky(0x9d, 0xbd, 0xf5);
const QColor accent(0xf2, 0x9c, 0x2b);

QFont brandFont(int pixelSize, int weight = QFont::Bold, qreal letterSpacing = 0)
{
    // One family that every build machine here has, so that the output does
    // not depend on the desktop the generator runs on.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::Weight(weight));
    font.setHintingPreference(QFont::PreferNoHinting);
    if (letterSpacing != 0)
        font.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    return font;
}

QImage opaqueImage(int width, int height, const QColor &fill)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

// The maker's emblem: a ring with a tilted orbit and a satellite, the
// picture behind the name.
void drawEmblem(QPainter &p, const QPointF &centre, qreal radius)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(centre);

    QRadialGradient glow(QPointF(0, 0), radius * 1.25);
    glow.setColorAt(0.0, QColor(255, 255, 255, 60));
    glow.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(0, 0), radius * 1.25, radius * 1.25);

    QLinearGradient ringShade(QPointF(-radius, -radius), QPointF(radius, radius));
    ringShade.setColorAt(0.0, Qt::white);
    ringShade.setColorAt(1.0, sky);
    QPen ringPen(QBrush(ringShade), radius * 0.2);
    p.setPen(ringPen);
    p.setBrush(Qt::NoBrush);
    const qreal ring = radius * 0.78;
    p.drawEllipse(QPointF(0, 0), ring, ring);

    p.rotate(-28);
    QPen orbitPen(QColor(255, 255, 255, 210), std::max<qreal>(1.0, radius * 0.07));
    p.setPen(orbitPen);
    p.drawEllipse(QPointF(0, 0), radius * 1.08, radius * 0.36);
    p.setPen(Qt::NoPen);
    p.setBrush(accent);
    const qreal dot = std::max<qreal>(1.6, radius * 0.15);
    p.drawEllipse(QPointF(radius * 1.08 * std::cos(0.5), radius * 0.36 * std::sin(0.5)), dot, dot);
    p.restore();
}

void drawCentredText(QPainter &p, const QRectF &rect, const QString &text, const QFont &font,
                     const QColor &color)
{
    p.setFont(font);
    p.setPen(color);
    p.drawText(rect, Qt::AlignCenter, text);
}

// 86 x 84, left end of the header: emblem over the name, on the header's
// navy so that it runs into the title without a seam.
QImage makerLogo()
{
    QImage image = opaqueImage(86, 84, navy);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    drawEmblem(p, QPointF(43, 32), 21);
    drawCentredText(p, QRectF(0, 57, 86, 14), QStringLiteral("ORBELAN"),
                    brandFont(11, QFont::Bold, 1.2), Qt::white);
    p.setPen(QPen(accent, 1.5));
    p.drawLine(QPointF(24, 74.5), QPointF(62, 74.5));
    return image;
}

// Frame of the two system badges: a rounded plate slightly lighter than the
// header, with a thin sky-blue edge.
void drawBadgePlate(QPainter &p, const QRectF &plate)
{
    QLinearGradient shade(plate.topLeft(), plate.bottomLeft());
    shade.setColorAt(0.0, navyLight);
    shade.setColorAt(1.0, navy.darker(115));
    p.setBrush(shade);
    p.setPen(QPen(sky, 1.5));
    p.drawRoundedRect(plate, 7, 7);
}

// 146 x 84, right end of the header for VXI mainframes: a row of card
// slots beside the letters.
QImage vxiLogo()
{
    QImage image = opaqueImage(146, 84, navy);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF plate(8.5, 10.5, 129, 63);
    drawBadgePlate(p, plate);

    // Mainframe slots, one of them holding a card with a lit LED.
    for (int slot = 0; slot < 5; ++slot) {
        const QRectF bay(19 + slot * 6.5, 21, 4.5, 32);
        p.setPen(Qt::NoPen);
        p.setBrush(slot == 3 ? QColor(0xdd, 0xe6, 0xf8) : QColor(0x0c, 0x16, 0x33));
        p.drawRoundedRect(bay, 1, 1);
        if (slot == 3) {
            p.setBrush(QColor(0x3c, 0xe0, 0x6a));
            p.drawEllipse(QRectF(bay.left() + 1, bay.top() + 3, 2.5, 2.5));
        }
    }
    drawCentredText(p, QRectF(52, 13, 80, 42), QStringLiteral("VXI"), brandFont(34, QFont::Black),
                    Qt::white);
    drawCentredText(p, QRectF(12, 55, 122, 13), QStringLiteral("MAINFRAME SYSTEM"),
                    brandFont(8, QFont::Bold, 1.0), sky);
    return image;
}

// 121 x 84, right end of the header for LXI boxes: three network nodes
// beside the letters.
QImage lxiLogo()
{
    QImage image = opaqueImage(121, 84, navy);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF plate(8.5, 10.5, 104, 63);
    drawBadgePlate(p, plate);

    const QPointF hub(26, 37);
    const QPointF left(17, 25);
    const QPointF right(35, 25);
    const QPointF down(26, 50);
    p.setPen(QPen(sky, 1.6));
    for (const QPointF &node : {left, right, down})
        p.drawLine(hub, node);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (const QPointF &node : {left, right, down})
        p.drawEllipse(node, 3.2, 3.2);
    p.setBrush(accent);
    p.drawEllipse(hub, 4.2, 4.2);

    drawCentredText(p, QRectF(40, 13, 70, 42), QStringLiteral("LXI"), brandFont(33, QFont::Black),
                    Qt::white);
    drawCentredText(p, QRectF(12, 55, 97, 13), QStringLiteral("LAN SYSTEM"),
                    brandFont(8, QFont::Bold, 1.0), sky);
    return image;
}

// 520 x 400 splash background. The card picture goes at (67, 43) and black
// text below it from row 236 on, so everything right of the navy band stays
// light and calm.
QImage splashBackground()
{
    QImage image = opaqueImage(520, 400, Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient paper(QPointF(0, 0), QPointF(0, 400));
    paper.setColorAt(0.0, QColor(0xfb, 0xfc, 0xff));
    paper.setColorAt(0.55, QColor(0xf0, 0xf4, 0xfb));
    paper.setColorAt(1.0, QColor(0xe2, 0xe9, 0xf5));
    p.fillRect(QRect(66, 0, 454, 400), paper);

    // A soft light behind the card, as on a product photograph.
    QRadialGradient spot(QPointF(293, 128), 250);
    spot.setColorAt(0.0, QColor(255, 255, 255, 255));
    spot.setColorAt(0.6, QColor(255, 255, 255, 90));
    spot.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(QRect(66, 0, 454, 250), spot);

    // Floor line under the card.
    QLinearGradient floor(QPointF(87, 0), QPointF(500, 0));
    floor.setColorAt(0.0, QColor(0x9d, 0xae, 0xcf, 0));
    floor.setColorAt(0.5, QColor(0x9d, 0xae, 0xcf, 255));
    floor.setColorAt(1.0, QColor(0x9d, 0xae, 0xcf, 0));
    p.fillRect(QRectF(87, 239, 413, 1), floor);

    // Navy band on the left with the emblem and the name running upwards.
    QLinearGradient band(QPointF(0, 0), QPointF(66, 0));
    band.setColorAt(0.0, navyDark);
    band.setColorAt(1.0, navy);
    p.fillRect(QRect(0, 0, 66, 400), band);
    p.fillRect(QRect(63, 0, 3, 400), accent);
    drawEmblem(p, QPointF(32, 44), 19);
    p.save();
    p.translate(40, 372);
    p.rotate(-90);
    p.setFont(brandFont(26, QFont::Bold, 6));
    p.setPen(QColor(255, 255, 255, 235));
    p.drawText(QPointF(0, 0), QStringLiteral("ORBELAN"));
    p.restore();

    // Thin navy rule under the notice line, tying the band to the paper.
    p.fillRect(QRect(66, 395, 454, 5), navy);
    return image;
}

// 110 x 345 side picture of the About box. The box may show only its
// bottom part, so the emblem and name sit at the bottom.
QImage aboutPicture()
{
    QImage image = opaqueImage(110, 345, navy);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient depth(QPointF(0, 0), QPointF(0, 345));
    depth.setColorAt(0.0, navyLight);
    depth.setColorAt(1.0, navyDark);
    p.fillRect(image.rect(), depth);

    // Faint traces, as on a circuit board, fading towards the bottom.
    for (int i = 0; i < 9; ++i) {
        const qreal x = 10 + i * 11;
        const qreal bend = 40 + (i * 37) % 120;
        QPainterPath trace(QPointF(x, 0));
        trace.lineTo(x, bend);
        trace.lineTo(x + (i % 2 ? 8 : -8), bend + 8);
        trace.lineTo(x + (i % 2 ? 8 : -8), 190 + (i * 13) % 40);
        QLinearGradient fade(QPointF(0, 0), QPointF(0, 240));
        fade.setColorAt(0.0, QColor(sky.red(), sky.green(), sky.blue(), 70));
        fade.setColorAt(1.0, QColor(sky.red(), sky.green(), sky.blue(), 0));
        p.setPen(QPen(QBrush(fade), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(trace);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(sky.red(), sky.green(), sky.blue(), 90));
        p.drawEllipse(QPointF(x, bend), 2, 2);
    }

    // A large relay contact, the card's own symbol.
    p.setPen(QPen(QColor(255, 255, 255, 200), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14, 58), QPointF(36, 58));
    p.drawLine(QPointF(74, 58), QPointF(96, 58));
    p.drawLine(QPointF(36, 58), QPointF(70, 38));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(36, 58), 4, 4);
    p.drawEllipse(QPointF(74, 58), 4, 4);

    // The name runs upwards, centred between the symbol and the emblem.
    const QFont nameFont = brandFont(21, QFont::Bold, 4);
    const QFontMetrics nameMetrics(nameFont);
    const QString name = QStringLiteral("ORBELAN");
    const int nameLength = nameMetrics.horizontalAdvance(name);
    p.save();
    p.translate(55 + nameMetrics.capHeight() / 2.0, 160 + nameLength / 2.0);
    p.rotate(-90);
    p.setFont(nameFont);
    p.setPen(Qt::white);
    p.drawText(QPointF(0, 0), name);
    p.restore();

    drawEmblem(p, QPointF(55, 286), 27);
    p.fillRect(QRect(0, 335, 110, 3), accent);
    return image;
}

// Blurs the alpha channel of a shadow mask with three box passes, close to
// a Gaussian blur.
QImage blurred(const QImage &mask, int radius)
{
    QImage image = mask.convertToFormat(QImage::Format_ARGB32);
    const int w = image.width();
    const int h = image.height();
    std::vector<int> alpha(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            alpha[static_cast<size_t>(y) * w + x] = qAlpha(image.pixel(x, y));
    std::vector<int> tmp(alpha.size());
    auto pass = [&](bool horizontal) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                int sum = 0;
                int count = 0;
                for (int d = -radius; d <= radius; ++d) {
                    const int sx = horizontal ? x + d : x;
                    const int sy = horizontal ? y : y + d;
                    if (sx < 0 || sy < 0 || sx >= w || sy >= h)
                        continue;
                    sum += alpha[static_cast<size_t>(sy) * w + sx];
                    ++count;
                }
                tmp[static_cast<size_t>(y) * w + x] = count ? sum / count : 0;
            }
        }
        alpha.swap(tmp);
    };
    for (int i = 0; i < 3; ++i) {
        pass(true);
        pass(false);
    }
    QImage out(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out.setPixel(x, y, qRgba(12, 20, 40, alpha[static_cast<size_t>(y) * w + x]));
    return out;
}

void drawRelay(QPainter &p, const QRectF &body, const QString &label)
{
    QLinearGradient shade(body.topLeft(), body.bottomLeft());
    shade.setColorAt(0.0, QColor(0x3b, 0x4a, 0x6e));
    shade.setColorAt(0.15, QColor(0x27, 0x33, 0x52));
    shade.setColorAt(1.0, QColor(0x17, 0x1f, 0x35));
    p.setPen(QPen(QColor(0x0c, 0x11, 0x1f), 0.8));
    p.setBrush(shade);
    p.drawRoundedRect(body, 1.5, 1.5);
    p.setPen(QPen(QColor(255, 255, 255, 40), 1));
    p.drawLine(body.topLeft() + QPointF(2, 1.5), body.topRight() + QPointF(-2, 1.5));
    p.setFont(brandFont(6, QFont::Bold));
    p.setPen(QColor(0xe8, 0xee, 0xff, 200));
    p.drawText(body.adjusted(0, 2, 0, 0), Qt::AlignHCenter | Qt::AlignVCenter, label);
    // Pin-one mark.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 110));
    p.drawEllipse(QPointF(body.left() + 3, body.bottom() - 3), 1, 1);
}

void drawChip(QPainter &p, const QRectF &body, int pinsPerSide, bool allSides,
              const QString &marking)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xc9, 0xcd, 0xd4));
    const qreal pitchX = body.width() / (pinsPerSide + 1);
    const qreal pitchY = body.height() / (pinsPerSide + 1);
    for (int i = 1; i <= pinsPerSide; ++i) {
        p.drawRect(QRectF(body.left() + i * pitchX - 0.6, body.top() - 2.5, 1.2, 2.5));
        p.drawRect(QRectF(body.left() + i * pitchX - 0.6, body.bottom(), 1.2, 2.5));
        if (allSides) {
            p.drawRect(QRectF(body.left() - 2.5, body.top() + i * pitchY - 0.6, 2.5, 1.2));
            p.drawRect(QRectF(body.right(), body.top() + i * pitchY - 0.6, 2.5, 1.2));
        }
    }
    QLinearGradient shade(body.topLeft(), body.bottomRight());
    shade.setColorAt(0.0, QColor(0x33, 0x35, 0x3a));
    shade.setColorAt(1.0, QColor(0x15, 0x16, 0x19));
    p.setBrush(shade);
    p.setPen(QPen(QColor(0x0a, 0x0a, 0x0c), 0.8));
    p.drawRect(body);
    p.setFont(brandFont(5, QFont::Normal));
    p.setPen(QColor(0xb8, 0xbc, 0xc6));
    p.drawText(body, Qt::AlignCenter, marking);
}

void drawScrew(QPainter &p, const QPointF &centre)
{
    QRadialGradient head(centre - QPointF(1, 1), 4.5);
    head.setColorAt(0.0, QColor(0xf4, 0xf5, 0xf7));
    head.setColorAt(1.0, QColor(0x8a, 0x8f, 0x98));
    p.setPen(QPen(QColor(0x5c, 0x61, 0x6a), 0.8));
    p.setBrush(head);
    p.drawEllipse(centre, 3.6, 3.6);
    p.setPen(QPen(QColor(0x4a, 0x4e, 0x56), 1));
    p.drawLine(centre + QPointF(-2, 0), centre + QPointF(2, 0));
}

// 452 x 194 with transparency: the relay card seen from above, front panel
// on the left, backplane connectors on the right, 16 relay pairs between.
QImage relayCardPicture()
{
    const QSize size(452, 194);
    const QRectF board(22, 10, 414, 168);

    QImage shadowMask(size, QImage::Format_ARGB32_Premultiplied);
    shadowMask.fill(Qt::transparent);
    {
        QPainter m(&shadowMask);
        m.setRenderHint(QPainter::Antialiasing);
        m.setPen(Qt::NoPen);
        m.setBrush(QColor(0, 0, 0, 120));
        m.drawRoundedRect(board.translated(5, 7), 8, 8);
        m.drawRect(QRectF(7, 9, 18, 177));
    }

    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.drawImage(0, 0, blurred(shadowMask, 3));

    // Printed circuit board.
    QLinearGradient solderMask(board.topLeft(), board.bottomRight());
    solderMask.setColorAt(0.0, QColor(0x2e, 0x7a, 0x4c));
    solderMask.setColorAt(1.0, QColor(0x1b, 0x55, 0x34));
    p.setPen(QPen(QColor(0x12, 0x3d, 0x25), 1));
    p.setBrush(solderMask);
    p.drawRoundedRect(board, 6, 6);
    p.setPen(QPen(QColor(255, 255, 255, 25), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(board.adjusted(1.5, 1.5, -1.5, -1.5), 5, 5);

    // Copper traces under the mask: from every relay pair to the backplane.
    p.setPen(QPen(QColor(0x4c, 0x9c, 0x6c, 150), 1.1));
    for (int row = 0; row < 4; ++row) {
        for (int lane = 0; lane < 3; ++lane) {
            const qreal y = 38 + row * 33 + lane * 3 + 15;
            QPainterPath trace(QPointF(62, y));
            trace.lineTo(318, y);
            trace.lineTo(326 + lane * 3, y + 6);
            trace.lineTo(384, y + 6);
            p.drawPath(trace);
        }
    }
    // Mounting holes with their copper rings.
    for (const QPointF &hole :
         {QPointF(32, 20), QPointF(32, 168), QPointF(428, 18), QPointF(428, 170)}) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xd8, 0xb4, 0x5a));
        p.drawEllipse(hole, 5, 5);
        p.setBrush(QColor(0x10, 0x14, 0x18));
        p.drawEllipse(hole, 2.8, 2.8);
    }

    // Sixteen relay pairs in four rows of four, each pair framed on the
    // silkscreen and numbered like the panel's "Pair" groups.
    for (int pair = 0; pair < 16; ++pair) {
        const int row = pair / 4;
        const int column = pair % 4;
        const QRectF frame(60 + column * 64, 26 + row * 36, 60, 32);
        p.setPen(QPen(QColor(0xf2, 0xf5, 0xf0, 170), 0.8));
        p.setBrush(Qt::NoBrush);
        p.drawRect(frame);
        drawRelay(p, QRectF(frame.left() + 3, frame.top() + 5, 26, 22),
                  QStringLiteral("K%1").arg(2 * pair + 1));
        drawRelay(p, QRectF(frame.left() + 31, frame.top() + 5, 26, 22),
                  QStringLiteral("K%1").arg(2 * pair + 2));
    }

    // Control logic: a relay controller, two driver arrays and a
    // configuration memory.
    drawChip(p, QRectF(332, 30, 34, 34), 8, true, QStringLiteral("5170-CTL"));
    drawChip(p, QRectF(330, 84, 38, 14), 7, false, QStringLiteral("ULN2803"));
    drawChip(p, QRectF(330, 112, 38, 14), 7, false, QStringLiteral("ULN2803"));
    drawChip(p, QRectF(334, 142, 28, 11), 4, false, QStringLiteral("24C02"));
    // A few passive parts beside the controller.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 5; ++i) {
        const QRectF part(372 + (i % 2) * 6, 32 + i * 7, 4, 2.4);
        p.setBrush(QColor(0xb0, 0x86, 0x4e));
        p.drawRect(part);
        p.setBrush(QColor(0xe3, 0xe6, 0xea));
        p.drawRect(QRectF(part.left(), part.top(), 0.9, part.height()));
        p.drawRect(QRectF(part.right() - 0.9, part.top(), 0.9, part.height()));
    }

    // Backplane connectors on the rear edge.
    for (int block = 0; block < 2; ++block) {
        const QRectF connector(390, 22 + block * 78, 30, 66);
        QLinearGradient body(connector.topLeft(), connector.topRight());
        body.setColorAt(0.0, QColor(0x3d, 0x40, 0x46));
        body.setColorAt(1.0, QColor(0x22, 0x24, 0x28));
        p.setPen(QPen(QColor(0x12, 0x13, 0x15), 1));
        p.setBrush(body);
        p.drawRoundedRect(connector, 2, 2);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xd9, 0xb8, 0x62));
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 11; ++c)
                p.drawEllipse(QPointF(connector.left() + 7 + r * 8, connector.top() + 5 + c * 5.6),
                              1.1, 1.1);
    }

    // Silkscreen: model and maker.
    p.setFont(brandFont(9, QFont::Bold, 0.6));
    p.setPen(QColor(0xf2, 0xf5, 0xf0, 220));
    p.drawText(QPointF(62, 172), QStringLiteral("QX5170  32-CH RELAY"));
    p.setFont(brandFont(7, QFont::Bold, 1.2));
    p.drawText(QPointF(250, 172), QStringLiteral("ORBELAN"));
    p.setFont(brandFont(6, QFont::Normal));
    p.drawText(QPointF(332, 172), QStringLiteral("REV C"));

    // Front panel, seen edge-on: brushed aluminium with a signal connector,
    // a status LED and two captive screws.
    const QRectF panel(6, 4, 20, 182);
    QLinearGradient metal(panel.topLeft(), panel.topRight());
    metal.setColorAt(0.0, QColor(0xe9, 0xeb, 0xef));
    metal.setColorAt(0.45, QColor(0xc5, 0xc9, 0xd1));
    metal.setColorAt(1.0, QColor(0x93, 0x98, 0xa3));
    p.setPen(QPen(QColor(0x6c, 0x71, 0x7a), 1));
    p.setBrush(metal);
    p.drawRoundedRect(panel, 2, 2);
    drawScrew(p, QPointF(16, 14));
    drawScrew(p, QPointF(16, 176));
    const QRectF dsub(9, 48, 14, 92);
    p.setPen(QPen(QColor(0x50, 0x54, 0x5c), 1));
    p.setBrush(QColor(0xa9, 0xae, 0xb8));
    p.drawRoundedRect(dsub, 3, 3);
    p.setBrush(QColor(0x1d, 0x1f, 0x24));
    p.drawRoundedRect(dsub.adjusted(2.5, 3, -2.5, -3), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xd9, 0xb8, 0x62));
    for (int i = 0; i < 13; ++i)
        p.drawEllipse(QPointF(16, 56 + i * 6.3), 1.1, 1.1);
    QRadialGradient led(QPointF(15.5, 30.5), 3.5);
    led.setColorAt(0.0, QColor(0xc8, 0xff, 0xd0));
    led.setColorAt(0.5, QColor(0x2e, 0xd0, 0x5a));
    led.setColorAt(1.0, QColor(0x13, 0x7a, 0x33));
    p.setBrush(led);
    p.setPen(QPen(QColor(0x2a, 0x2d, 0x33), 0.8));
    p.drawEllipse(QPointF(16, 31), 3, 3);
    p.end();

    return image.convertToFormat(QImage::Format_ARGB32);
}

bool save(const QImage &image, const QDir &folder, const QString &name, const char *format)
{
    const QString path = folder.filePath(name);
    if (!image.save(path, format)) {
        QTextStream(stderr) << "sfp_artwork: cannot write " << path << "\n";
        return false;
    }
    QTextStream(stdout) << path << " " << image.width() << " x " << image.height() << "\n";
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    // Painting needs no display; run the same wherever the generator runs.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        QTextStream(stderr) << "usage: sfp_artwork <library resource folder> "
                               "<program resource folder>\n";
        return 2;
    }
    const QDir libraryFolder(args.at(1));
    const QDir programFolder(args.at(2));
    if (!libraryFolder.exists() || !programFolder.exists()) {
        QTextStream(stderr) << "sfp_artwork: both output folders must exist\n";
        return 2;
    }

    bool ok = true;
    ok &= save(makerLogo(), libraryFolder, QStringLiteral("tarvex-logo.bmp"), "BMP");
    ok &= save(vxiLogo(), libraryFolder, QStringLiteral("vxi-logo.bmp"), "BMP");
    ok &= save(lxiLogo(), libraryFolder, QStringLiteral("lxi-logo.bmp"), "BMP");
    ok &= save(splashBackground(), libraryFolder, QStringLiteral("fp_splash.png"), "PNG");
    ok &= save(aboutPicture(), libraryFolder, QStringLiteral("about.png"), "PNG");
    ok &= save(relayCardPicture(), programFolder, QStringLiteral("qx5170fp_splash.png"), "PNG");
    return ok ? 0 : 1;
}
