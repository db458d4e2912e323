// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The compiled-in pictures, the licence text and the XPM icons.
#include "sfpicons.h"
#include "sfptest.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QTest>
#include <QtEndian>

namespace {

QByteArray resourceBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Bits per pixel from a BMP file's information header.
int bmpBitsPerPixel(const QByteArray &bytes)
{
    if (bytes.size() < 30 || !bytes.startsWith("BM"))
        return -1;
    return qFromLittleEndian<quint16>(bytes.constData() + 28);
}

// Colour type from a PNG file's IHDR chunk: 2 RGB, 6 RGB with alpha.
int pngColourType(const QByteArray &bytes)
{
    if (bytes.size() < 26 || !bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return -1;
    return static_cast<unsigned char>(bytes.at(25));
}

const QColor transparent(0, 0, 0, 0);

QColor pixelOf(const QImage &image, int x, int y)
{
    const QColor color = image.pixelColor(x, y);
    return color.alpha() == 0 ? transparent : color;
}

} // namespace

class tst_Resources : public QObject
{
    Q_OBJECT

private slots:
    void pictures_data();
    void pictures();
    void cardPictureHasTransparency();
    void firstChoiceSplashPictureAbsent();
    void licenceText();

    void panelIcon_data();
    void panelIcon();
    void iconSizes_data();
    void iconSizes();
    void iconColours_data();
    void iconColours();
};

void tst_Resources::pictures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("bitsOrColourType");

    QTest::newRow("maker's logo") << ":/tarvex-logo.bmp" << QByteArray("bmp") << QSize(86, 84)
                                  << 24;
    QTest::newRow("VXI logo") << ":/vxi-logo.bmp" << QByteArray("bmp") << QSize(146, 84) << 24;
    QTest::newRow("LXI logo") << ":/lxi-logo.bmp" << QByteArray("bmp") << QSize(121, 84) << 24;
    QTest::newRow("splash background")
        << ":/fp_splash.png" << QByteArray("png") << QSize(520, 400) << 2;
    QTest::newRow("About picture") << ":/about.png" << QByteArray("png") << QSize(110, 345) << 2;
    QTest::newRow("card picture") << ":/qx5170fp_splash.png" << QByteArray("png") << QSize(452, 194)
                                  << 6;
}

void tst_Resources::pictures()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, format);
    QFETCH(QSize, size);
    QFETCH(int, bitsOrColourType);

    QVERIFY(QFile::exists(path));
    QImageReader reader(path);
    QCOMPARE(reader.format(), format);
    QCOMPARE(reader.size(), size);
    const QPixmap picture(path);
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.size(), size);

    const QByteArray bytes = resourceBytes(path);
    if (format == "bmp")
        QCOMPARE(bmpBitsPerPixel(bytes), bitsOrColourType);
    else
        QCOMPARE(pngColourType(bytes), bitsOrColourType);
}

void tst_Resources::cardPictureHasTransparency()
{
    const QImage card(QStringLiteral(":/qx5170fp_splash.png"));
    QVERIFY(card.hasAlphaChannel());
    QCOMPARE(card.pixelColor(0, 0).alpha(), 0);
    QCOMPARE(card.pixelColor(card.width() / 2, card.height() / 2).alpha(), 255);
}

void tst_Resources::firstChoiceSplashPictureAbsent()
{
    const QString path = QStringLiteral(":/qx%1fp_splash.bmp").arg(0x5170, 4, 16, QLatin1Char(' '));
    QCOMPARE(path, QStringLiteral(":/qx5170fp_splash.bmp"));
    QVERIFY(!QFile::exists(path));
    QVERIFY(QPixmap(path).isNull());
}

void tst_Resources::licenceText()
{
    const QByteArray compiledIn = resourceBytes(QStringLiteral(":/qt-lgpl-license.txt"));
    QVERIFY(!compiledIn.isEmpty());
    QFile source(QStringLiteral(SFP_QT_LICENSE_FILE));
    QVERIFY2(source.open(QIODevice::ReadOnly), SFP_QT_LICENSE_FILE);
    QCOMPARE(compiledIn, source.readAll());
    QVERIFY(compiledIn.contains("GNU LESSER GENERAL PUBLIC LICENSE"));
    QVERIFY(compiledIn.contains("Version 3"));
}

void tst_Resources::panelIcon_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("pixels");

    const char *const rows[] = {
        "########....aaa.", "#########..aaaaa", "##########.aaaaa", "#########..aaaaa",
        "########....aaa.", "................", ".bbb....########", "bbbbb..#########",
        "bbbbb.##########", "bbbbb..#########", ".bbb....########", "................",
        "c..cc.cc.c.cc.cc", "cc.cc.c..c.cc.c.", "cc.cc..c.c.c..c.", "cc.cc.cc.c.cc.cc",
    };
    for (int row = 0; row < 16; ++row)
        QTest::addRow("row %d", row + 1) << row << QString::fromLatin1(rows[row]);
}

void tst_Resources::panelIcon()
{
    QFETCH(int, row);
    QFETCH(QString, pixels);

    const QHash<QChar, QColor> colours {
        {QLatin1Char('c'), QColor(0xff, 0xff, 0xff)},
        {QLatin1Char('b'), QColor(0, 0, 0xff)},
        {QLatin1Char('#'), QColor(0x80, 0x80, 0x80)},
        {QLatin1Char('a'), QColor(0xff, 0, 0)},
        {QLatin1Char('.'), transparent},
    };
    const QImage icon = sfpIcons::panel().toImage();
    QCOMPARE(icon.size(), QSize(16, 16));
    for (int x = 0; x < 16; ++x) {
        QVERIFY2(pixelOf(icon, x, row) == colours.value(pixels.at(x)),
                 qPrintable(QStringLiteral("column %1").arg(x + 1)));
    }
}

void tst_Resources::iconSizes_data()
{
    QTest::addColumn<QPixmap>("icon");
    QTest::addColumn<QSize>("size");

    QTest::newRow("panel") << sfpIcons::panel() << QSize(16, 16);
    QTest::newRow("What's This") << sfpIcons::whatsThis() << QSize(20, 17);
    QTest::newRow("single shot") << sfpIcons::singleShotStart() << QSize(12, 12);
    QTest::newRow("repetitive") << sfpIcons::repetitiveStart() << QSize(12, 12);
    QTest::newRow("stop") << sfpIcons::stop() << QSize(12, 12);
}

void tst_Resources::iconSizes()
{
    QFETCH(QPixmap, icon);
    QFETCH(QSize, size);
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.size(), size);
    QVERIFY(icon.hasAlphaChannel());
}

void tst_Resources::iconColours_data()
{
    QTest::addColumn<QPixmap>("icon");
    QTest::addColumn<QList<QColor>>("colours");

    QTest::newRow("What's This") << sfpIcons::whatsThis()
                                 << QList<QColor> {Qt::black, Qt::white, transparent};
    QTest::newRow("single shot") << sfpIcons::singleShotStart()
                                 << QList<QColor> {QColor(0, 0x80, 0), transparent};
    QTest::newRow("repetitive") << sfpIcons::repetitiveStart()
                                << QList<QColor> {QColor(0, 0x80, 0), transparent};
    QTest::newRow("stop") << sfpIcons::stop() << QList<QColor> {QColor(0x80, 0, 0), transparent};
}

// Each icon uses exactly its own colours, every one of them.
void tst_Resources::iconColours()
{
    QFETCH(QPixmap, icon);
    QFETCH(QList<QColor>, colours);

    const QImage image = icon.toImage();
    QList<QColor> used;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = pixelOf(image, x, y);
            QVERIFY2(colours.contains(pixel), qPrintable(pixel.name(QColor::HexArgb)));
            if (!used.contains(pixel))
                used.append(pixel);
        }
    }
    QCOMPARE(used.size(), colours.size());
}

SFPTEST_MAIN(tst_Resources)
#include "tst_resources.moc"
