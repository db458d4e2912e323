// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The About box, the clickable label and the licence viewer.
#include "clickablelabel.h"
#include "qtlicense.h"
#include "qx2010fp_about.h"
#include "sfptest.h"
#include "testcatalogue.h"

#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>

#include <memory>

namespace {

QString plainText(const QString &richText)
{
    QTextDocument document;
    document.setHtml(richText);
    return document.toPlainText();
}

struct Row
{
    QString label;
    QString value;
};

QList<Row> rowsOf(const QFormLayout *form)
{
    QList<Row> rows;
    for (int i = 0; i < form->rowCount(); ++i) {
        const auto *label
            = qobject_cast<QLabel *>(form->itemAt(i, QFormLayout::LabelRole)->widget());
        const auto *value
            = qobject_cast<QLabel *>(form->itemAt(i, QFormLayout::FieldRole)->widget());
        rows.append({label ? label->text() : QString(), value ? value->text() : QString()});
    }
    return rows;
}

} // namespace

class tst_About : public QObject
{
    Q_OBJECT

private slots:
    void softwareRows_data();
    void softwareRows();
    void noDevice();
    void oneDevice();
    void twoDevices();
    void threeDevicesNavigation();
    void navigationStaysInsideTheList();
    void revisionsPerDevice();
    void extraInfoRows();
    void infoRowsInTheOperatorsLanguage();

    void pictureCrop_data();
    void pictureCrop();
    void pictureShownCropped();

    void licenseLinkOpensViewer();
    void versionLinkOpensAboutQt();

    void clickableLabelLooksLikeALink();
    void clickableLabelClicks_data();
    void clickableLabelClicks();

    void licenseViewer();
    void licenseViewerOkAccepts();

private:
    static std::unique_ptr<qx2010fp_About> makeAbout(const char *libRevision = "2.1.0");

    // Access to the dialog's own members, granted to this test.
    static QFormLayout *swForm(qx2010fp_About &about) { return about.softwareForm(); }
    static QFormLayout *hwForm(qx2010fp_About &about) { return about.hardwareForm(); }
    static QPushButton *nextBtn(qx2010fp_About &about) { return about.nextButton(); }
    static QPushButton *prevBtn(qx2010fp_About &about) { return about.previousButton(); }
    static int devIndex(qx2010fp_About &about) { return about.deviceIndex(); }
    static clickableLabel *link(qx2010fp_About &about, const QString &text);
};

std::unique_ptr<qx2010fp_About> tst_About::makeAbout(const char *libRevision)
{
    return std::make_unique<qx2010fp_About>("4.3.1", "1.7.0", "5170", "(c) Orbelan Instruments",
                                            nullptr, libRevision);
}

clickableLabel *tst_About::link(qx2010fp_About &about, const QString &text)
{
    for (clickableLabel *label : about.findChildren<clickableLabel *>()) {
        if (plainText(label->text()) == text)
            return label;
    }
    return nullptr;
}

void tst_About::softwareRows_data()
{
    QTest::addColumn<bool>("withLibrary");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QStringList>("values");

    QTest::newRow("with library revision")
        << true
        << QStringList {"Orbelan Common Library:", "Instrument Driver:", "Soft Front Panel:"}
        << QStringList {"2.1.0", "1.7.0", "4.3.1"};
    QTest::newRow("without library revision")
        << false << QStringList {"Instrument Driver:", "Soft Front Panel:"}
        << QStringList {"1.7.0", "4.3.1"};
}

void tst_About::softwareRows()
{
    QFETCH(bool, withLibrary);
    QFETCH(QStringList, labels);
    QFETCH(QStringList, values);

    auto about = makeAbout(withLibrary ? "2.1.0" : nullptr);
    const QList<Row> rows = rowsOf(swForm(*about));
    QCOMPARE(rows.size(), labels.size());
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(rows.at(i).label, labels.at(i));
        QCOMPARE(rows.at(i).value, values.at(i));
    }
    const int h = about->fontMetrics().height();
    QCOMPARE(swForm(*about)->horizontalSpacing(), h);
    QCOMPARE(swForm(*about)->contentsMargins(), QMargins(h, h, h, h));
}

void tst_About::noDevice()
{
    auto about = makeAbout();
    QCOMPARE(about->windowTitle(), QStringLiteral("About Orbelan 5170 Soft Front Panel"));
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about.get()));
    QCOMPARE(hwForm(*about)->rowCount(), 0);
    QCOMPARE(qobject_cast<QGroupBox *>(hwForm(*about)->parentWidget())->title(),
             QStringLiteral("Hardware Information"));
    QVERIFY(!nextBtn(*about)->isVisible());
    QVERIFY(!prevBtn(*about)->isVisible());
    QVERIFY(!prevBtn(*about)->isEnabled());
    QCOMPARE(nextBtn(*about)->text(), QStringLiteral("Next >"));
    QCOMPARE(prevBtn(*about)->text(), QStringLiteral("< Previous"));
}

void tst_About::oneDevice()
{
    auto about = makeAbout();
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about.get()));
    about->addDevice(QStringLiteral("SN 0042"), QStringLiteral("C"), QStringLiteral("5170"),
                     QString(), QString());
    const QList<Row> rows = rowsOf(hwForm(*about));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.at(0).label, QStringLiteral("Device Model:"));
    QCOMPARE(rows.at(0).value, QStringLiteral("5170"));
    QCOMPARE(rows.at(1).label, QStringLiteral("Revision:"));
    QCOMPARE(rows.at(1).value, QStringLiteral("C"));
    QCOMPARE(rows.at(2).label, QStringLiteral("Serial Number:"));
    QCOMPARE(rows.at(2).value, QStringLiteral("SN 0042"));
    QVERIFY(!nextBtn(*about)->isVisible());
    QVERIFY(!prevBtn(*about)->isVisible());
    QCOMPARE(about->deviceModel(), QStringLiteral("5170"));
    QCOMPARE(about->revision(), QStringLiteral("C"));
}

void tst_About::twoDevices()
{
    auto about = makeAbout();
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about.get()));
    about->addDevice("SN 1", "A", "5170", QString(), QString());
    about->addDevice("SN 2", "B", "6052", QString(), QString());
    QVERIFY(nextBtn(*about)->isVisible());
    QVERIFY(prevBtn(*about)->isVisible());
    QVERIFY(nextBtn(*about)->isEnabled());
    QVERIFY(!prevBtn(*about)->isEnabled());
    QCOMPARE(hwForm(*about)->rowCount(), 3);
    QCOMPARE(rowsOf(hwForm(*about)).at(2).value, QStringLiteral("SN 1"));
}

void tst_About::threeDevicesNavigation()
{
    auto about = makeAbout();
    for (int i = 1; i <= 3; ++i)
        about->addDevice(QStringLiteral("SN %1").arg(i), QStringLiteral("R%1").arg(i),
                         QStringLiteral("M%1").arg(i), QString(), QString());
    auto shownSerial = [&] { return rowsOf(hwForm(*about)).at(2).value; };

    QTest::mouseClick(nextBtn(*about), Qt::LeftButton);
    QCOMPARE(shownSerial(), QStringLiteral("SN 2"));
    QVERIFY(nextBtn(*about)->isEnabled());
    QVERIFY(prevBtn(*about)->isEnabled());
    QTest::mouseClick(nextBtn(*about), Qt::LeftButton);
    QCOMPARE(shownSerial(), QStringLiteral("SN 3"));
    QCOMPARE(rowsOf(hwForm(*about)).at(0).value, QStringLiteral("M3"));
    QCOMPARE(rowsOf(hwForm(*about)).at(1).value, QStringLiteral("R3"));
    QVERIFY(!nextBtn(*about)->isEnabled());

    QTest::mouseClick(prevBtn(*about), Qt::LeftButton);
    QCOMPARE(shownSerial(), QStringLiteral("SN 2"));
    QVERIFY(nextBtn(*about)->isEnabled());
    QTest::mouseClick(prevBtn(*about), Qt::LeftButton);
    QCOMPARE(shownSerial(), QStringLiteral("SN 1"));
    QVERIFY(!prevBtn(*about)->isEnabled());
    QVERIFY(nextBtn(*about)->isEnabled());
}

void tst_About::navigationStaysInsideTheList()
{
    auto about = makeAbout();
    about->next();
    about->prev();
    QCOMPARE(devIndex(*about), 0);

    about->addDevice("SN 1", "A", "5170", QString(), QString());
    about->next();
    QCOMPARE(devIndex(*about), 0);
    about->addDevice("SN 2", "B", "6052", QString(), QString());
    about->next();
    about->next();
    QCOMPARE(devIndex(*about), 1);
    QCOMPARE(rowsOf(hwForm(*about)).at(2).value, QStringLiteral("SN 2"));
    about->prev();
    about->prev();
    QCOMPARE(devIndex(*about), 0);
    QCOMPARE(rowsOf(hwForm(*about)).at(2).value, QStringLiteral("SN 1"));
}

void tst_About::revisionsPerDevice()
{
    // A device that names its own driver and panel revisions shows them
    // while it is the one shown; one without them keeps what is shown.
    qx2010fp_About about("", "", "5170", "(c) Orbelan Instruments", nullptr, nullptr);
    about.addDevice("SN 1", "A", "5170", QString(), QString());
    about.addDevice("SN 2", "B", "5170", "1.8.0", "4.4.0");
    auto shownSoftware = [&] {
        const QList<Row> rows = rowsOf(swForm(about));
        return QStringList {rows.at(0).value, rows.at(1).value};
    };
    QCOMPARE(shownSoftware(), QStringList({"", ""}));
    about.next();
    QCOMPARE(shownSoftware(), QStringList({"1.8.0", "4.4.0"}));
    QCOMPARE(rowsOf(hwForm(about)).at(2).value, QStringLiteral("SN 2"));
    about.prev();
    QCOMPARE(rowsOf(hwForm(about)).at(2).value, QStringLiteral("SN 1"));
    QCOMPARE(shownSoftware(), QStringList({"1.8.0", "4.4.0"}));

    // The driver revision given at construction stands in for a device
    // that brings none.
    auto withDriver = makeAbout();
    withDriver->addDevice("SN 3", "C", "5170", QString(), QString());
    withDriver->addDevice("SN 4", "D", "5170", QString(), "4.9.9");
    withDriver->next();
    QCOMPARE(rowsOf(swForm(*withDriver)).at(1).value, QStringLiteral("1.7.0"));
    QCOMPARE(rowsOf(swForm(*withDriver)).at(2).value, QStringLiteral("4.9.9"));
    withDriver->prev();
    QCOMPARE(rowsOf(swForm(*withDriver)).at(2).value, QStringLiteral("4.3.1"));
}

void tst_About::extraInfoRows()
{
    auto about = makeAbout(nullptr);
    about->addInfoRow(QStringLiteral("Firmware:"), QStringLiteral("3.2"), false);
    about->setDeviceModel(QStringLiteral("6052"));
    about->setRevision(QStringLiteral("E"));
    about->setSerialNumber(QStringLiteral("SN 77"));
    about->addHardwareInfo(QStringLiteral("Slot:"), QStringLiteral("4"));
    // A label that merely looks like a known one is a row of its own.
    about->addHardwareInfo(QStringLiteral("Revision"), QStringLiteral("X"));

    const QList<Row> software = rowsOf(swForm(*about));
    QCOMPARE(software.size(), 3);
    QCOMPARE(software.at(2).label, QStringLiteral("Firmware:"));
    QCOMPARE(software.at(2).value, QStringLiteral("3.2"));

    const QList<Row> hardware = rowsOf(hwForm(*about));
    QStringList shown;
    for (const Row &row : hardware)
        shown.append(row.label + QLatin1Char(' ') + row.value);
    QCOMPARE(shown,
             QStringList({"Device Model: 6052", "Revision: E", "Serial Number: SN 77", "Slot: 4",
                          "Revision X"}));
    QCOMPARE(about->deviceModel(), QStringLiteral("6052"));
    QCOMPARE(about->revision(), QStringLiteral("E"));
}

void tst_About::infoRowsInTheOperatorsLanguage()
{
    const sfptest::TestCatalogue german(
        {{"qx2010fp_About", "Device Model:", QStringLiteral("Gerätemodell:")},
         {"qx2010fp_About", "Revision:", QStringLiteral("Stand:")},
         {"qx2010fp_About", "Serial Number:", QStringLiteral("Seriennummer:")}});
    auto about = makeAbout(nullptr);
    about->setDeviceModel(QStringLiteral("6052"));
    about->setSerialNumber(QStringLiteral("SN 77"));
    // A card panel that names a row in English, or in the operator's
    // language, fills the device's record all the same.
    about->addHardwareInfo(QStringLiteral("Revision:"), QStringLiteral("E"));
    about->addHardwareInfo(QStringLiteral("Stand:"), QStringLiteral("F"));

    QStringList shown;
    for (const Row &row : rowsOf(hwForm(*about)))
        shown.append(row.label + QLatin1Char(' ') + row.value);
    QCOMPARE(shown,
             QStringList({"Gerätemodell: 6052", "Seriennummer: SN 77", "Revision: E", "Stand: F"}));
    QCOMPARE(about->deviceModel(), QStringLiteral("6052"));
    QCOMPARE(about->revision(), QStringLiteral("F"));
}

void tst_About::pictureCrop_data()
{
    QTest::addColumn<QSize>("image");
    QTest::addColumn<int>("lineHeight");
    QTest::addColumn<QRect>("expected");

    QTest::newRow("whole picture fits in 28 lines")
        << QSize(110, 345) << 13 << QRect(0, 0, 110, 345);
    QTest::newRow("bottom 28 lines") << QSize(110, 345) << 10 << QRect(0, 65, 110, 280);
    QTest::newRow("tall picture") << QSize(110, 1000) << 13 << QRect(0, 636, 110, 364);
    QTest::newRow("shorter than 8 lines, shown whole")
        << QSize(110, 50) << 10 << QRect(0, 0, 110, 50);
    QTest::newRow("exactly 8 lines") << QSize(60, 80) << 10 << QRect(0, 0, 60, 80);
    QTest::newRow("no picture") << QSize(0, 0) << 13 << QRect();
}

void tst_About::pictureCrop()
{
    QFETCH(QSize, image);
    QFETCH(int, lineHeight);
    QFETCH(QRect, expected);
    const QRect shown = aboutPictureRect(image, lineHeight);
    if (expected.isEmpty())
        QVERIFY(shown.isEmpty());
    else
        QCOMPARE(shown, expected);
}

void tst_About::pictureShownCropped()
{
    auto about = makeAbout();
    const QPixmap side(QStringLiteral(":/about.png"));
    QVERIFY(!side.isNull());
    const QRect crop = aboutPictureRect(side.size(), about->fontMetrics().height());
    QList<QLabel *> pictures;
    for (QLabel *label : about->findChildren<QLabel *>()) {
        if (!label->pixmap().isNull())
            pictures.append(label);
    }
    QCOMPARE(pictures.size(), 1);
    QCOMPARE(pictures.first()->pixmap().toImage(), side.copy(crop).toImage());
}

void tst_About::licenseLinkOpensViewer()
{
    auto about = makeAbout();
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about.get()));
    const auto seen = sfptest::answerNextModal(QStringLiteral("Ok"));
    QTest::mouseClick(link(*about, QStringLiteral("LGPL")), Qt::LeftButton);
    QVERIFY(seen->answered);
    QCOMPARE(seen->className, QStringLiteral("qtLicense"));
    QCOMPARE(seen->title, QStringLiteral("Qt LGPL License"));
    QCOMPARE(seen->parent.data(), about.get());
    // The viewer lived only while it was shown.
    QCOMPARE(about->findChildren<qtLicense *>().size(), 0);
}

void tst_About::versionLinkOpensAboutQt()
{
    auto about = makeAbout();
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about.get()));
    const auto seen = sfptest::answerNextModal(QStringLiteral("OK"));
    QTest::mouseClick(link(*about, QString::fromLatin1(qVersion())), Qt::LeftButton);
    QVERIFY(seen->answered);
    QCOMPARE(seen->className, QStringLiteral("QMessageBox"));
    QCOMPARE(seen->title, QStringLiteral("About Qt"));
}

void tst_About::clickableLabelLooksLikeALink()
{
    clickableLabel label(QStringLiteral("LGPL"));
    QCOMPARE(label.text(), QStringLiteral("<u><font color='#22e'>LGPL</font></u>"));
    QCOMPARE(label.cursor().shape(), Qt::PointingHandCursor);
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));

    // The underline is drawn in the link colour, #2222ee.
    const QImage image = label.grab().toImage();
    bool linkColoured = false;
    for (int y = 0; y < image.height() && !linkColoured; ++y) {
        for (int x = 0; x < image.width() && !linkColoured; ++x)
            linkColoured = image.pixelColor(x, y) == QColor(0x22, 0x22, 0xee);
    }
    QVERIFY(linkColoured);
}

void tst_About::clickableLabelClicks_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QPoint>("position");

    QTest::newRow("left, centre") << Qt::LeftButton << QPoint();
    QTest::newRow("right, corner") << Qt::RightButton << QPoint(0, 0);
    QTest::newRow("middle, outside") << Qt::MiddleButton << QPoint(-20, 500);
}

void tst_About::clickableLabelClicks()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(QPoint, position);

    clickableLabel label(QStringLiteral("LGPL"));
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    QSignalSpy clicked(&label, &clickableLabel::clicked);
    QTest::mousePress(&label, button, Qt::NoModifier, position);
    QCOMPARE(clicked.count(), 0);
    QTest::mouseRelease(&label, button, Qt::NoModifier, position);
    QCOMPARE(clicked.count(), 1);
    QTest::mouseRelease(&label, button, Qt::NoModifier, position);
    QCOMPARE(clicked.count(), 2);
}

void tst_About::licenseViewer()
{
    qtLicense viewer;
    QVERIFY(viewer.isModal());
    QCOMPARE(viewer.windowTitle(), QStringLiteral("Qt LGPL License"));
    auto *text = viewer.findChild<QPlainTextEdit *>();
    QVERIFY(text);
    QVERIFY(text->isReadOnly());
    QCOMPARE(text->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(text->font().family(), QStringLiteral("Courier"));

    QFile resource(QStringLiteral(":/qt-lgpl-license.txt"));
    QVERIFY(resource.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString licence = QString::fromUtf8(resource.readAll());
    QVERIFY(!licence.isEmpty());
    QCOMPARE(text->toPlainText(), licence);

    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    QVERIFY(text->width() >= 650);
    QVERIFY(text->height() >= 500);
    // Long lines scroll sideways rather than wrap.
    QVERIFY(text->document()->blockCount() == text->document()->lineCount());
}

void tst_About::licenseViewerOkAccepts()
{
    qtLicense viewer;
    const auto seen = sfptest::answerNextModal(QStringLiteral("Ok"));
    QCOMPARE(viewer.exec(), int(QDialog::Accepted));
    QVERIFY(seen->answered);
    QCOMPARE(seen->buttons, QStringList {QStringLiteral("Ok")});
}

SFPTEST_MAIN(tst_About)
#include "tst_about.moc"
