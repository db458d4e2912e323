// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The splash picture: where its texts and the card picture land, the fonts
// and their scaling, the choice between the two card pictures and the line
// on standard output when neither fits.
#include "qx2010fp_splashlabel.h"
#include "sfptest.h"

#include <QFontMetrics>
#include <QImage>
#include <QPixmap>
#include <QTest>

#include <cstdio>
#include <cstdlib>

namespace {

const char wrongSizeText[] = "The size of the image of the device, that is to be used in the "
                             "splash screen, is not as required!!!\n";

const QLatin1String copyrightNotice("Copyright (C) Tarvex. All rights reserved.");
const QLatin1String relayTitle("32-Channel Relay/Switching Function Card");

// Rows from here down hold only the texts: the card picture ends above it.
constexpr int textZoneTop = 237;

QImage argb(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage background()
{
    return QImage(QStringLiteral(":/fp_splash.png")).convertToFormat(QImage::Format_ARGB32);
}

// Bounding box of the pixels inside area that differ from the background.
QRect inkIn(const QImage &splash, const QImage &plain, const QRect &area)
{
    QRect ink;
    const QRect clipped = area.intersected(splash.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            if (splash.pixel(x, y) != plain.pixel(x, y))
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

// First pixel below textZoneTop that differs from the background and lies
// in none of the rectangles; empty when there is none.
QString strayInk(const QImage &splash, const QImage &plain, const QList<QRect> &allowed)
{
    for (int y = textZoneTop; y < splash.height(); ++y) {
        for (int x = 0; x < splash.width(); ++x) {
            if (splash.pixel(x, y) == plain.pixel(x, y))
                continue;
            bool inside = false;
            for (const QRect &rect : allowed)
                inside = inside || rect.contains(x, y);
            if (!inside)
                return QStringLiteral("ink at %1,%2").arg(x).arg(y);
        }
    }
    return QString();
}

struct Layout
{
    QRect name;
    QRect title;
    QRect notice;
    QFont nameFont;
    QFont titleFont;
    QFont noticeFont;
};

// The layout the splash should have, from the same fonts and the same
// device the splash measures with.
Layout expectedLayout(QPixmap *device, float scale, int margin)
{
    using namespace splashGeometry;
    Layout layout;
    layout.nameFont = splashFont(scaledPointSize(scale, nameBasePointSize));
    layout.titleFont = splashFont(scaledPointSize(scale, titleBasePointSize));
    layout.noticeFont = splashFont(noticePointSize);
    const int h1 = QFontMetrics(layout.nameFont, device).height();
    const int h3 = QFontMetrics(layout.noticeFont, device).height();
    layout.name = nameRect(margin, h1);
    layout.title = titleRect(margin, h1, h3);
    layout.notice = noticeRect(margin, h3);
    return layout;
}

// How far the ink's centre may stray from the rectangle's centre, and its
// width from the font's own measure: antialiasing and rounding.
constexpr int tolerance = 3;

int inkWidthOf(const QFont &font, QPixmap *device, const QString &text)
{
    return QFontMetrics(font, device).boundingRect(text).width();
}

bool isColour(const QImage &image, int x, int y, QRgb colour)
{
    return image.pixel(x, y) == colour;
}

// A notice that is wider than the text column with the usual margin of 20
// but still fits into the column without margin.
QString wideNotice(QPixmap *device)
{
    const QFontMetrics metrics(splashGeometry::splashFont(splashGeometry::noticePointSize), device);
    QString text = QStringLiteral("Orbelan");
    while (metrics.horizontalAdvance(text) <= 415)
        text += QStringLiteral(" Orbelan");
    return text;
}

} // namespace

SFPTEST_CHILD(composeSplash)
{
    const int code = qEnvironmentVariableIntValue("SFP_TEST_SPLASH_CODE");
    const qx2010fp_splashLabel splash(1.0f, 20, code, true, copyrightNotice, relayTitle);
    // The picture is made whatever the card picture was.
    if (splash.size() != splashGeometry::pictureSize) {
        std::fflush(nullptr);
        std::_Exit(3);
    }
}

class tst_Splash : public QObject
{
    Q_OBJECT

private slots:
    void pointSizes_data();
    void pointSizes();
    void textRects_data();
    void textRects();
    void nameText_data();
    void nameText();
    void picturePaths();

    void texts_data();
    void texts();
    void nameLineBase_data();
    void nameLineBase();
    void scaleTwo();
    void marginZeroWidens();
    void longTitleWrapsAndIsClipped();

    void relayCardPicture();
    void pictureChoice_data();
    void pictureChoice();
    void wrongSizeLine_data();
    void wrongSizeLine();
};

void tst_Splash::pointSizes_data()
{
    QTest::addColumn<float>("scale");
    QTest::addColumn<double>("base");
    QTest::addColumn<int>("expected");

    QTest::newRow("name, 1.0") << 1.0f << 18.0 << 18;
    QTest::newRow("title, 1.0") << 1.0f << 12.0 << 12;
    QTest::newRow("name, 2.0") << 2.0f << 18.0 << 36;
    QTest::newRow("title, 2.0") << 2.0f << 12.0 << 24;
    QTest::newRow("name, 1.1 truncated") << 1.1f << 18.0 << 19;
    QTest::newRow("title, 1.45 truncated") << 1.45f << 12.0 << 17;
    QTest::newRow("name, 0.99 truncated") << 0.99f << 18.0 << 17;
    QTest::newRow("title, 0.5") << 0.5f << 12.0 << 6;
}

void tst_Splash::pointSizes()
{
    QFETCH(float, scale);
    QFETCH(double, base);
    QFETCH(int, expected);
    QCOMPARE(splashGeometry::scaledPointSize(scale, base), expected);
}

void tst_Splash::textRects_data()
{
    QTest::addColumn<int>("margin");
    QTest::addColumn<int>("h1");
    QTest::addColumn<int>("h3");
    QTest::addColumn<QRect>("name");
    QTest::addColumn<QRect>("title");
    QTest::addColumn<QRect>("notice");

    // Left margin + 67, width 453 - 2 x margin; name from h1 / 2 + 236,
    // title from 2 x h1 + 236 for 164 - 2 x h1 - 3 x h3, notice at 400 - 2 x h3.
    QTest::newRow("margin 20") << 20 << 27 << 12 << QRect(87, 249, 413, 27)
                               << QRect(87, 290, 413, 74) << QRect(87, 376, 413, 12);
    QTest::newRow("margin 0") << 0 << 27 << 12 << QRect(67, 249, 453, 27) << QRect(67, 290, 453, 74)
                              << QRect(67, 376, 453, 12);
    QTest::newRow("odd h1") << 20 << 29 << 13 << QRect(87, 250, 413, 29) << QRect(87, 294, 413, 67)
                            << QRect(87, 374, 413, 13);
    QTest::newRow("scale 2 heights") << 20 << 54 << 12 << QRect(87, 263, 413, 54)
                                     << QRect(87, 344, 413, 20) << QRect(87, 376, 413, 12);
}

void tst_Splash::textRects()
{
    QFETCH(int, margin);
    QFETCH(int, h1);
    QFETCH(int, h3);
    QFETCH(QRect, name);
    QFETCH(QRect, title);
    QFETCH(QRect, notice);
    QCOMPARE(splashGeometry::nameRect(margin, h1), name);
    QCOMPARE(splashGeometry::titleRect(margin, h1, h3), title);
    QCOMPARE(splashGeometry::noticeRect(margin, h3), notice);
}

void tst_Splash::nameText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("hexadecimal");
    QTest::addColumn<QString>("expected");

    QTest::newRow("relay card, hexadecimal") << 0x5170 << true << "Orbelan 5170";
    QTest::newRow("relay card, decimal") << 0x5170 << false << "Orbelan 20848";
    QTest::newRow("short, hexadecimal") << 0x42 << true << "Orbelan   42";
    QTest::newRow("short, decimal") << 42 << false << "Orbelan   42";
    QTest::newRow("letters in hexadecimal") << 0xB52 << true << "Orbelan  b52";
    QTest::newRow("longer is not cut") << 0x12345 << true << "Orbelan 12345";
}

void tst_Splash::nameText()
{
    QFETCH(int, code);
    QFETCH(bool, hexadecimal);
    QFETCH(QString, expected);
    QCOMPARE(splashGeometry::nameText(code, hexadecimal), expected);
}

void tst_Splash::picturePaths()
{
    QCOMPARE(splashGeometry::fullPicturePath(0x5170, true),
             QStringLiteral(":/qx5170fp_splash.bmp"));
    QCOMPARE(splashGeometry::devicePicturePath(0x5170, true),
             QStringLiteral(":/qx5170fp_splash.png"));
    QCOMPARE(splashGeometry::devicePicturePath(0x5170, false),
             QStringLiteral(":/qx20848fp_splash.png"));
    QCOMPARE(splashGeometry::devicePicturePath(0x42, true),
             QStringLiteral(":/qx  42fp_splash.png"));
}

void tst_Splash::texts_data()
{
    QTest::addColumn<int>("margin");
    QTest::newRow("margin 20") << 20;
    QTest::newRow("margin 0") << 0;
    QTest::newRow("margin 60") << 60;
}

void tst_Splash::texts()
{
    QFETCH(int, margin);
    qx2010fp_splashLabel splash(1.0f, margin, 0x5170, true, copyrightNotice, relayTitle);
    QCOMPARE(splash.size(), QSize(520, 400));
    const Layout layout = expectedLayout(&splash, 1.0f, margin);
    const QImage image = argb(splash);
    const QImage plain = background();

    QCOMPARE(strayInk(image, plain, {layout.name, layout.title, layout.notice}), QString());

    const QRect nameInk = inkIn(image, plain, layout.name);
    const QRect titleInk = inkIn(image, plain, layout.title);
    const QRect noticeInk = inkIn(image, plain, layout.notice);
    QVERIFY(!nameInk.isEmpty());
    QVERIFY(!titleInk.isEmpty());
    QVERIFY(!noticeInk.isEmpty());

    // Each line is centred in its rectangle and as wide as its font says.
    QVERIFY2(
        qAbs(nameInk.center().x() - layout.name.center().x()) <= tolerance,
        qPrintable(QStringLiteral("name ink %1..%2").arg(nameInk.left()).arg(nameInk.right())));
    QVERIFY(qAbs(noticeInk.center().x() - layout.notice.center().x()) <= tolerance);
    QVERIFY(qAbs(titleInk.center().x() - layout.title.center().x()) <= tolerance);
    QVERIFY(qAbs(nameInk.width() - inkWidthOf(layout.nameFont, &splash, "Orbelan 5170"))
            <= tolerance);
    QVERIFY(qAbs(noticeInk.width() - inkWidthOf(layout.noticeFont, &splash, copyrightNotice))
            <= tolerance);
    // The title hangs from the top of its rectangle.
    QVERIFY(titleInk.top() - layout.title.top()
            <= QFontMetrics(layout.titleFont, &splash).ascent());
}

void tst_Splash::nameLineBase_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("hexadecimal");
    QTest::addColumn<QString>("shown");

    QTest::newRow("hexadecimal") << 0x5170 << true << "Orbelan 5170";
    QTest::newRow("decimal") << 0x5170 << false << "Orbelan 20848";
}

void tst_Splash::nameLineBase()
{
    QFETCH(int, code);
    QFETCH(bool, hexadecimal);
    QFETCH(QString, shown);
    qx2010fp_splashLabel splash(1.0f, 20, code, hexadecimal, copyrightNotice, relayTitle);
    const Layout layout = expectedLayout(&splash, 1.0f, 20);
    const QRect nameInk = inkIn(argb(splash), background(), layout.name);
    QVERIFY(!nameInk.isEmpty());
    QVERIFY2(qAbs(nameInk.width() - inkWidthOf(layout.nameFont, &splash, shown)) <= tolerance,
             qPrintable(QStringLiteral("ink %1 wide, \"%2\" %3 wide")
                            .arg(nameInk.width())
                            .arg(shown)
                            .arg(inkWidthOf(layout.nameFont, &splash, shown))));
}

void tst_Splash::scaleTwo()
{
    qx2010fp_splashLabel normal(1.0f, 20, 0x5170, true, copyrightNotice, QStringLiteral("Relay"));
    qx2010fp_splashLabel doubled(2.0f, 20, 0x5170, true, copyrightNotice, QStringLiteral("Relay"));
    const Layout small = expectedLayout(&normal, 1.0f, 20);
    const Layout large = expectedLayout(&doubled, 2.0f, 20);
    QCOMPARE(large.nameFont.pointSize(), 36);
    QCOMPARE(large.titleFont.pointSize(), 24);
    QCOMPARE(large.noticeFont.pointSize(), 8);
    // The rectangles move down with the larger line height; the column stays.
    QVERIFY(large.name.top() > small.name.top());
    QCOMPARE(large.name.left(), small.name.left());
    QCOMPARE(large.name.width(), small.name.width());
    QCOMPARE(large.notice, small.notice);

    const QImage image = argb(doubled);
    const QImage plain = background();
    QCOMPARE(strayInk(image, plain, {large.name, large.title, large.notice}), QString());
    const QRect largeName = inkIn(image, plain, large.name);
    const QRect smallName = inkIn(argb(normal), plain, small.name);
    QVERIFY(qAbs(largeName.width() - inkWidthOf(large.nameFont, &doubled, "Orbelan 5170"))
            <= tolerance);
    QVERIFY(largeName.height() > smallName.height() * 3 / 2);
    QVERIFY(!inkIn(image, plain, large.title).isEmpty());
}

void tst_Splash::marginZeroWidens()
{
    QPixmap measure(1, 1);
    const QString wide = wideNotice(&measure);
    qx2010fp_splashLabel withMargin(1.0f, 20, 0x5170, true, wide, relayTitle);
    qx2010fp_splashLabel withoutMargin(1.0f, 0, 0x5170, true, wide, relayTitle);
    const QImage plain = background();

    const Layout narrow = expectedLayout(&withMargin, 1.0f, 20);
    const Layout full = expectedLayout(&withoutMargin, 1.0f, 0);
    QCOMPARE(full.notice.left(), 67);
    QCOMPARE(full.notice.width(), 453);

    // Without a margin the whole notice is drawn, beyond the column of the
    // margin 20; with the margin it is cut at that column.
    const QRect fullInk = inkIn(argb(withoutMargin), plain, full.notice);
    QVERIFY(fullInk.left() < narrow.notice.left());
    QVERIFY(fullInk.right() > narrow.notice.right());
    QVERIFY(qAbs(fullInk.width() - inkWidthOf(full.noticeFont, &withoutMargin, wide)) <= tolerance);
    QCOMPARE(strayInk(argb(withMargin), plain, {narrow.name, narrow.title, narrow.notice}),
             QString());
}

void tst_Splash::longTitleWrapsAndIsClipped()
{
    QString title;
    for (int i = 0; i < 40; ++i)
        title += QStringLiteral("Relay Switching ");
    qx2010fp_splashLabel splash(1.0f, 20, 0x5170, true, copyrightNotice, title);
    const Layout layout = expectedLayout(&splash, 1.0f, 20);
    const QImage image = argb(splash);
    const QImage plain = background();

    // The lines fill the rectangle down to its bottom row and stop there:
    // the rows between the title and the notice stay clear.
    const QRect titleInk = inkIn(image, plain, layout.title);
    const int titleLine = QFontMetrics(layout.titleFont, &splash).height();
    QVERIFY(titleInk.height() > 2 * titleLine);
    QVERIFY(titleInk.bottom() >= layout.title.bottom() - titleLine);
    const QRect gap(0, layout.title.bottom() + 1, image.width(),
                    layout.notice.top() - layout.title.bottom() - 1);
    QVERIFY(!gap.isEmpty());
    QVERIFY(inkIn(image, plain, gap).isEmpty());
    QCOMPARE(strayInk(image, plain, {layout.name, layout.title, layout.notice}), QString());
}

void tst_Splash::relayCardPicture()
{
    qx2010fp_splashLabel splash(1.0f, 20, 0x5170, true, copyrightNotice, relayTitle);
    const QImage image = argb(splash);
    const QImage plain = background();
    const QImage card
        = QImage(QStringLiteral(":/qx5170fp_splash.png")).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(card.size(), QSize(452, 194));

    // Opaque pixels of the card show as they are, transparent ones show the
    // background; nothing else changes above the texts.
    int opaque = 0;
    int transparent = 0;
    for (int y = 0; y < textZoneTop; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QPoint at(x, y);
            const QPoint inCard = at - splashGeometry::devicePictureOrigin;
            if (!card.rect().contains(inCard)) {
                QCOMPARE(image.pixel(at), plain.pixel(at));
                continue;
            }
            const QRgb cardPixel = card.pixel(inCard);
            if (qAlpha(cardPixel) == 255) {
                QCOMPARE(image.pixel(at), cardPixel);
                ++opaque;
            } else if (qAlpha(cardPixel) == 0) {
                QCOMPARE(image.pixel(at), plain.pixel(at));
                ++transparent;
            }
        }
    }
    QVERIFY(opaque > 0);
    QVERIFY(transparent > 0);
}

void tst_Splash::pictureChoice_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("hexadecimal");
    QTest::addColumn<QString>("shown");

    QTest::newRow("full-size first choice") << 0x4321 << true << "full";
    QTest::newRow("first choice named in decimal") << 4321 << false << "full";
    QTest::newRow("first choice of wrong size, second choice") << 0x4322 << true << "device";
    QTest::newRow("second choice of wrong size") << 0x4323 << true << "none";
    QTest::newRow("no picture") << 0x4324 << true << "none";
}

void tst_Splash::pictureChoice()
{
    QFETCH(int, code);
    QFETCH(bool, hexadecimal);
    QFETCH(QString, shown);
    qx2010fp_splashLabel splash(1.0f, 20, code, hexadecimal, copyrightNotice, relayTitle);
    const QImage image = argb(splash);
    const QImage plain = background();
    const QRgb blue = qRgb(0, 0, 255);
    const QRgb green = qRgb(0, 160, 0);

    if (shown == QLatin1String("full")) {
        // Only the region 67, 38, 453 x 199 of the full picture is taken.
        const QRect region = splashGeometry::fullPictureRegion;
        QVERIFY(isColour(image, region.left(), region.top(), blue));
        QVERIFY(isColour(image, region.right(), region.bottom(), blue));
        QVERIFY(isColour(image, 519, 236, blue));
        QVERIFY(!isColour(image, region.left() - 1, region.top(), blue));
        QVERIFY(!isColour(image, region.left(), region.top() - 1, blue));
        QVERIFY(!isColour(image, 100, 10, blue));
        QVERIFY(!isColour(image, 30, 200, blue));
    } else if (shown == QLatin1String("device")) {
        const QRect placed(splashGeometry::devicePictureOrigin, splashGeometry::devicePictureSize);
        QCOMPARE(placed, QRect(67, 43, 452, 194));
        QVERIFY(isColour(image, placed.left(), placed.top(), green));
        QVERIFY(isColour(image, placed.right(), placed.bottom(), green));
        QVERIFY(!isColour(image, placed.left() - 1, placed.top(), green));
        QVERIFY(!isColour(image, placed.left(), placed.top() - 1, green));
        QVERIFY(!isColour(image, placed.right() + 1, placed.top(), green));
        QVERIFY(!isColour(image, placed.left(), placed.bottom() + 1, green));
    } else {
        QVERIFY(inkIn(image, plain, QRect(0, 0, 520, textZoneTop)).isEmpty());
    }
    // The texts are there whichever picture was taken.
    const Layout layout = expectedLayout(&splash, 1.0f, 20);
    QVERIFY(!inkIn(image, plain, layout.name).isEmpty());
    QVERIFY(!inkIn(image, plain, layout.notice).isEmpty());
}

void tst_Splash::wrongSizeLine_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("lines");

    QTest::newRow("relay card") << 0x5170 << 0;
    QTest::newRow("full-size first choice") << 0x4321 << 0;
    QTest::newRow("right second choice") << 0x4322 << 0;
    QTest::newRow("second choice of wrong size") << 0x4323 << 1;
    QTest::newRow("no picture") << 0x4324 << 1;
}

void tst_Splash::wrongSizeLine()
{
    QFETCH(int, code);
    QFETCH(int, lines);
    const sfptest::ChildResult child = sfptest::runInChild(
        QStringLiteral("composeSplash"), {QStringLiteral("SFP_TEST_SPLASH_CODE=%1").arg(code)});
    QVERIFY(child.started);
    QVERIFY(!child.crashed);
    QCOMPARE(child.exitStatus, sfptest::childReturnedStatus);
    QCOMPARE(int(child.output.count(wrongSizeText)), lines);
}

SFPTEST_MAIN(tst_Splash)
#include "tst_splash.moc"
