// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The LED indicator: its geometry, when it repaints, and what it paints.
#include "qx2010fp_led.h"
#include "sfptest.h"

#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPoint>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

// Counts the paint events a widget receives.
class PaintCounter final : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return QObject::eventFilter(watched, event);
    }
};

bool closeTo(const QColor &a, const QColor &b, int tolerance = 3)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

QString describe(const QColor &color)
{
    return color.name();
}

struct LampSpot
{
    int lampLeft;
    int lineHeight;
};

LampSpot lampOf(const qx2010fp_led &led)
{
    return {ledGeometry::lampLeft(led.width(), led.minimumSizeHint().width()),
            led.fontMetrics().height()};
}

// Colour at the centre of the lamp, as the widget paints itself.
QColor lampCentre(qx2010fp_led &led)
{
    const LampSpot spot = lampOf(led);
    const QImage image = led.grab().toImage();
    return image.pixelColor(spot.lampLeft + spot.lineHeight / 2, spot.lineHeight / 2);
}

} // namespace

class tst_Led : public QObject
{
    Q_OBJECT

private slots:
    void minimumSizeFormula_data();
    void minimumSizeFormula();
    void minimumSizeFollowsTheFont();
    void lampLeft_data();
    void lampLeft();
    void textBesideTheLamp();

    void magentaMeansWindowColour();

    void repaintsOnlyOnRealChange();
    void toggleValueRepaintsAndSignals();
    void accessibleState();

    void paintsTheShownColour();
    void bevelForLargeFonts();
    void plainDiscForSmallFonts();

private:
    // A shown LED in a window of its own, with a paint counter installed.
    struct ShownLed
    {
        std::unique_ptr<QWidget> window;
        qx2010fp_led *led = nullptr;
        std::unique_ptr<PaintCounter> paints;
    };
    ShownLed showLed(const QColor &on, const QColor &off);
};

tst_Led::ShownLed tst_Led::showLed(const QColor &on, const QColor &off)
{
    ShownLed shown;
    shown.window = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(shown.window.get());
    shown.led = new qx2010fp_led(QStringLiteral("Synchronized"), on, off);
    layout->addWidget(shown.led);
    shown.window->show();
    if (!QTest::qWaitForWindowExposed(shown.window.get()))
        return shown;
    // Let the first, deferred paints of showing the window pass before
    // counting.
    QCoreApplication::processEvents();
    shown.paints = std::make_unique<PaintCounter>();
    shown.led->installEventFilter(shown.paints.get());
    return shown;
}

void tst_Led::minimumSizeFormula_data()
{
    QTest::addColumn<int>("lineHeight");
    QTest::addColumn<int>("textWidth");
    QTest::addColumn<QSize>("expected");

    QTest::newRow("h 13, text 40") << 13 << 40 << QSize(61, 15);
    QTest::newRow("h 16, text 75") << 16 << 75 << QSize(100, 18);
    QTest::newRow("h 9, empty text") << 9 << 0 << QSize(15, 11);
    QTest::newRow("h 10, empty text") << 10 << 0 << QSize(16, 12);
}

void tst_Led::minimumSizeFormula()
{
    QFETCH(int, lineHeight);
    QFETCH(int, textWidth);
    QFETCH(QSize, expected);
    QCOMPARE(ledGeometry::minimumSize(lineHeight, textWidth), expected);
}

void tst_Led::minimumSizeFollowsTheFont()
{
    qx2010fp_led withText(QStringLiteral("Active"), Qt::green, Qt::magenta);
    qx2010fp_led empty(QString(), Qt::green, Qt::magenta);
    const QFontMetrics metrics = withText.fontMetrics();
    const int h = metrics.height();

    QCOMPARE(empty.minimumSizeHint(), QSize(h + 1 + (h + 1) / 2, h + 2));
    QCOMPARE(withText.minimumSizeHint().width() - empty.minimumSizeHint().width(),
             metrics.horizontalAdvance(QStringLiteral("Active")));
    QCOMPARE(withText.minimumSizeHint().height(), h + 2);
    QCOMPARE(withText.sizePolicy().horizontalPolicy(), QSizePolicy::Maximum);
    QCOMPARE(withText.sizePolicy().verticalPolicy(), QSizePolicy::Maximum);

    withText.setText(QStringLiteral("Synchronized"));
    QCOMPARE(withText.minimumSizeHint().width(),
             empty.minimumSizeHint().width()
                 + metrics.horizontalAdvance(QStringLiteral("Synchronized")));
}

void tst_Led::lampLeft_data()
{
    QTest::addColumn<int>("widgetWidth");
    QTest::addColumn<int>("minimumWidth");
    QTest::addColumn<int>("expected");

    QTest::newRow("exact fit") << 60 << 60 << 2;
    QTest::newRow("wider, even excess") << 100 << 60 << 22;
    QTest::newRow("wider, odd excess") << 61 << 60 << 2;
    QTest::newRow("one narrower") << 59 << 60 << 1;
    QTest::newRow("four narrower") << 56 << 60 << 0;
    QTest::newRow("five narrower") << 55 << 60 << -1;
}

void tst_Led::lampLeft()
{
    QFETCH(int, widgetWidth);
    QFETCH(int, minimumWidth);
    QFETCH(int, expected);
    QCOMPARE(ledGeometry::lampLeft(widgetWidth, minimumWidth), expected);
}

void tst_Led::textBesideTheLamp()
{
    // Half a line after the lamp, on the lamp's lowest pixel line.
    QCOMPARE(ledGeometry::textOrigin(2, 20), QPoint(32, 19));
}

void tst_Led::magentaMeansWindowColour()
{
    ShownLed shown = showLed(Qt::green, Qt::magenta);
    QVERIFY(shown.paints);
    const QColor window = shown.led->palette().color(QPalette::Window);
    QVERIFY(window != QColor(Qt::magenta));
    QCOMPARE(shown.led->offColor(), window);
    const QColor centre = lampCentre(*shown.led);
    QVERIFY2(closeTo(centre, window), qPrintable(describe(centre)));
}

void tst_Led::repaintsOnlyOnRealChange()
{
    ShownLed shown = showLed(Qt::red, Qt::green);
    QVERIFY(shown.paints);
    qx2010fp_led *led = shown.led;
    int &paints = shown.paints->count;
    QSignalSpy toggled(led, &qx2010fp_led::valueToggled);

    led->setValue(true);
    QCOMPARE(paints, 1);
    led->setValue(true);
    QCOMPARE(paints, 1);
    QVERIFY(led->value());

    // Lit: only the lit colour is on show.
    led->setOffColor(Qt::blue);
    QCOMPARE(paints, 1);
    led->setOnColor(Qt::red);
    QCOMPARE(paints, 2);
    led->setOnColor(Qt::yellow);
    QCOMPARE(paints, 3);

    led->setValue(false);
    QCOMPARE(paints, 4);
    led->setOnColor(Qt::red);
    QCOMPARE(paints, 4);
    led->setOffColor(Qt::blue);
    QCOMPARE(paints, 5);

    led->setText(QStringLiteral("Synchronized"));
    QCOMPARE(paints, 5);
    led->setText(QStringLiteral("Pending"));
    QCOMPARE(paints, 6);

    QCOMPARE(toggled.count(), 0);
}

void tst_Led::toggleValueRepaintsAndSignals()
{
    ShownLed shown = showLed(Qt::red, Qt::green);
    QVERIFY(shown.paints);
    qx2010fp_led *led = shown.led;
    QSignalSpy toggled(led, &qx2010fp_led::valueToggled);

    led->toggleValue();
    QVERIFY(led->value());
    QCOMPARE(shown.paints->count, 1);
    QCOMPARE(toggled.count(), 1);

    led->toggleValue();
    QVERIFY(!led->value());
    QCOMPARE(shown.paints->count, 2);
    QCOMPARE(toggled.count(), 2);
}

void tst_Led::accessibleState()
{
    // The state is told in words as well as in colour.
    qx2010fp_led led("Synchronized", Qt::red, Qt::green);
    QCOMPARE(led.accessibleName(), QString("Synchronized"));
    QCOMPARE(led.accessibleDescription(), QString("unlit"));
    led.setValue(true);
    QCOMPARE(led.accessibleDescription(), QString("lit"));
    led.toggleValue();
    QCOMPARE(led.accessibleDescription(), QString("unlit"));
    led.setText("Active");
    QCOMPARE(led.accessibleName(), QString("Active"));
    qx2010fp_led named("Power", "#00FF00");
    QCOMPARE(named.accessibleName(), QString("Power"));
    QCOMPARE(named.accessibleDescription(), QString("unlit"));
    QCOMPARE(named.onColor(), QColor(0, 0xff, 0));
    // Without a colour name the lamp lights red.
    const qx2010fp_led unnamed("Power", nullptr);
    QCOMPARE(unnamed.onColor(), QColor(0xff, 0, 0));
}

void tst_Led::paintsTheShownColour()
{
    ShownLed shown = showLed(QColor(0xff, 0, 0), QColor(0, 0xc0, 0));
    QVERIFY(shown.paints);
    QColor centre = lampCentre(*shown.led);
    QVERIFY2(closeTo(centre, QColor(0, 0xc0, 0)), qPrintable(describe(centre)));

    shown.led->setValue(true);
    centre = lampCentre(*shown.led);
    QVERIFY2(closeTo(centre, QColor(0xff, 0, 0)), qPrintable(describe(centre)));

    shown.led->setOnColor(QColor(0xff, 0xc0, 0));
    centre = lampCentre(*shown.led);
    QVERIFY2(closeTo(centre, QColor(0xff, 0xc0, 0)), qPrintable(describe(centre)));
}

// Large fonts: a light rim on the upper left, a dark one on the lower
// right, separated from the lamp by a ring in the background colour.
void tst_Led::bevelForLargeFonts()
{
    ShownLed shown = showLed(QColor(0xff, 0, 0), QColor(0, 0, 0xff));
    QVERIFY(shown.paints);
    qx2010fp_led *led = shown.led;
    QFont font = led->font();
    font.setPixelSize(20);
    led->setFont(font);
    led->resize(led->minimumSizeHint());

    const LampSpot spot = lampOf(*led);
    QVERIFY(spot.lineHeight >= ledGeometry::minimumBevelLineHeight);
    const QImage image = led->grab().toImage();
    const QColor background = led->palette().color(QPalette::Window);
    const int x0 = spot.lampLeft;
    const int h = spot.lineHeight;

    // The outer rim's diagonal points: upper left lit, lower right shaded.
    const QColor upperLeft = image.pixelColor(x0 + h * 15 / 100, h * 15 / 100);
    const QColor lowerRight = image.pixelColor(x0 + h * 85 / 100, h * 85 / 100);
    QVERIFY2(upperLeft.lightness() > background.lightness(), qPrintable(describe(upperLeft)));
    QVERIFY2(lowerRight.lightness() < background.lightness(), qPrintable(describe(lowerRight)));
    // The shaded rim closes the lamp at its lowest line: nothing paints
    // over it there.
    int darkest = 255;
    for (int x = x0; x < x0 + h; ++x)
        darkest = std::min(darkest, image.pixelColor(x, h - 1).lightness());
    const int shade = background.darker(200).lightness();
    QVERIFY2(darkest < (background.lightness() + shade) / 2, qPrintable(QString::number(darkest)));
    const QColor centre = image.pixelColor(x0 + h / 2, h / 2);
    QVERIFY2(closeTo(centre, QColor(0, 0, 0xff)), qPrintable(describe(centre)));
    // Lit from the upper left, the lamp is its own mirror image across the
    // diagonal from its upper left to its lower right: every rim, ring and
    // the lamp itself share one centre and one size.
    for (int i = 0; i < h; ++i) {
        for (int j = 0; j < i; ++j) {
            const QColor one = image.pixelColor(x0 + i, j);
            const QColor mirrored = image.pixelColor(x0 + j, i);
            QVERIFY2(closeTo(one, mirrored, 4),
                     qPrintable(QStringLiteral("(%1, %2) %3, (%2, %1) %4")
                                    .arg(i)
                                    .arg(j)
                                    .arg(describe(one), describe(mirrored))));
        }
    }
    // Inside the lit rim, on the left and at the top alike, the ring in
    // the background colour: the rings share one centre.
    for (const QPoint ring : {QPoint(x0 + 1, h / 2), QPoint(x0 + h / 2, 1)}) {
        const QColor color = image.pixelColor(ring);
        QVERIFY2(closeTo(color, background), qPrintable(describe(color)));
    }
}

// Small fonts: a plain disc in the fill colour with an outline in the
// foreground colour, and no rims.
void tst_Led::plainDiscForSmallFonts()
{
    ShownLed shown = showLed(QColor(0xff, 0xff, 0), QColor(0, 0, 0xff));
    QVERIFY(shown.paints);
    qx2010fp_led *led = shown.led;
    QFont font = led->font();
    font.setPixelSize(6);
    led->setFont(font);
    led->resize(led->minimumSizeHint());
    led->setValue(true);

    const LampSpot spot = lampOf(*led);
    QVERIFY2(spot.lineHeight < ledGeometry::minimumBevelLineHeight,
             qPrintable(QString::number(spot.lineHeight)));
    const QImage image = led->grab().toImage();
    const QColor background = led->palette().color(QPalette::Window);
    const int x0 = spot.lampLeft;
    const int h = spot.lineHeight;

    const QColor centre = image.pixelColor(x0 + h / 2, h / 2);
    QVERIFY2(closeTo(centre, QColor(0xff, 0xff, 0)), qPrintable(describe(centre)));
    // Where the large lamp has its lit rim, the disc is outlined in the
    // (dark) foreground colour instead.
    const QColor edge = image.pixelColor(x0, h / 2);
    QVERIFY2(edge.lightness() < background.lightness(), qPrintable(describe(edge)));
    const QColor upperLeft = image.pixelColor(x0 + h * 15 / 100, h * 15 / 100);
    QVERIFY2(upperLeft.lightness() <= background.lightness(), qPrintable(describe(upperLeft)));
}

SFPTEST_MAIN(tst_Led)
#include "tst_led.moc"
