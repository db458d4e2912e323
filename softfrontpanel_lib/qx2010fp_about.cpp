// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "qx2010fp_about.h"

#include "clickablelabel.h"
#include "qtlicense.h"

#include <QApplication>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QFormLayout *infoForm(int lineHeight)
{
    auto *form = new QFormLayout;
    form->setHorizontalSpacing(lineHeight);
    form->setContentsMargins(lineHeight, lineHeight, lineHeight, lineHeight);
    return form;
}

const char *const deviceModelLabel = QT_TRANSLATE_NOOP("qx2010fp_About", "Device Model:");
//: The card's hardware revision
const char *const revisionLabel = QT_TRANSLATE_NOOP("qx2010fp_About", "Revision:");
const char *const serialNumberLabel = QT_TRANSLATE_NOOP("qx2010fp_About", "Serial Number:");

// A card panel names its hardware rows in English or in the operator's
// language; either way the row fills the record that Next and Previous show.
bool isLabel(const QString &label, const char *source)
{
    return label == QLatin1String(source) || label == qx2010fp_About::tr(source);
}

QGroupBox *infoGroup(const QString &title, QFormLayout *form)
{
    auto *group = new QGroupBox(title);
    group->setLayout(form);
    return group;
}

} // namespace

QRect aboutPictureRect(const QSize &image, int lineHeight)
{
    const int shownHeight = std::max(std::min(28 * lineHeight, image.height()), 8 * lineHeight);
    return QRect(0, image.height() - shownHeight, image.width(), shownHeight)
        .intersected(QRect(QPoint(0, 0), image));
}

qx2010fp_About::qx2010fp_About(const char *versionText, const char *driverText,
                               const char *modelText, const char *noticeText, QWidget *parent,
                               const char *libRevisionText)
    : QDialog(parent)
{
    const int h = fontMetrics().height();
    const QString model = QString::fromLocal8Bit(modelText);
    devIndex = 0;

    setWindowTitle(tr("About Orbelan %1 Soft Front Panel").arg(model));
    setMinimumSize(380, 300);
    resize(380, 300);
    auto *outerLayout = new QVBoxLayout(this);
    outerLayout->setSizeConstraint(QLayout::SetFixedSize);

    //: %1 is the card's model number, e.g. 5170; the markup stays as it is
    auto *headerLbl = new QLabel(tr("<font size='5' bold>Orbelan %1 VXIplug&play "
                                    "Driver<br>Soft Front Panel Application</font>")
                                     .arg(model));
    headerLbl->setAlignment(Qt::AlignCenter);
    outerLayout->addWidget(headerLbl);
    auto *noticeLbl = new QLabel(QString::fromLocal8Bit(noticeText));
    noticeLbl->setAlignment(Qt::AlignCenter);
    outerLayout->addWidget(noticeLbl);
    outerLayout->addSpacing(h);

    auto *pictureRow = new QHBoxLayout;
    outerLayout->addLayout(pictureRow);
    const QPixmap picture(QStringLiteral(":/about.png"));
    auto *pictureLbl = new QLabel;
    pictureLbl->setPixmap(picture.copy(aboutPictureRect(picture.size(), h)));
    pictureRow->addWidget(pictureLbl);
    auto *column = new QVBoxLayout;
    pictureRow->addLayout(column);

    auto *qtForm = infoForm(h);
    auto *licenseLbl = new clickableLabel(QStringLiteral("LGPL"));
    connect(licenseLbl, &clickableLabel::clicked, this, &qx2010fp_About::showLicense);
    qtForm->addRow(tr("Used under License:"), licenseLbl);
    auto *qtVersionLbl = new clickableLabel(QString::fromLatin1(qVersion()));
    connect(qtVersionLbl, &clickableLabel::clicked, qApp, &QApplication::aboutQt);
    qtForm->addRow(tr("Version (sources not modified):"), qtVersionLbl);
    column->addWidget(infoGroup(tr("Qt Library"), qtForm));

    swForm = infoForm(h);
    if (libRevisionText) {
        valueLbl[LibraryRevision].setText(QString::fromLocal8Bit(libRevisionText));
        swForm->addRow(tr("Orbelan Common Library:"), &valueLbl[LibraryRevision]);
    }
    valueLbl[DriverRevision].setText(QString::fromLocal8Bit(driverText));
    swForm->addRow(tr("Instrument Driver:"), &valueLbl[DriverRevision]);
    valueLbl[PanelRevision].setText(QString::fromLocal8Bit(versionText));
    swForm->addRow(tr("Soft Front Panel:"), &valueLbl[PanelRevision]);
    column->addWidget(infoGroup(tr("Software Revisions"), swForm));

    hwForm = infoForm(h);
    column->addWidget(infoGroup(tr("Hardware Information"), hwForm));

    auto *buttonRow = new QHBoxLayout;
    //: Button: the previous card's hardware information
    prevBtn = new QPushButton(tr("< Previous"));
    //: Button: the next card's hardware information
    nextBtn = new QPushButton(tr("Next >"));
    auto *okBtn = new QPushButton(tr("OK"));
    for (QPushButton *button : {prevBtn, nextBtn, okBtn}) {
        button->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);
        buttonRow->addWidget(button);
    }
    column->addLayout(buttonRow);
    prevBtn->setEnabled(false);
    prevBtn->hide();
    nextBtn->hide();

    connect(nextBtn, &QPushButton::clicked, this, &qx2010fp_About::next);
    connect(prevBtn, &QPushButton::clicked, this, &qx2010fp_About::prev);
    // The dialog lives as long as the main window; OK only puts it away.
    connect(okBtn, &QPushButton::clicked, this, &qx2010fp_About::hide);
}

// The value labels are members; destroying them here, before the base class
// deletes the remaining children, takes them out of the layouts cleanly.
qx2010fp_About::~qx2010fp_About() = default;

void qx2010fp_About::addDevice(const QString &serial, const QString &revision, const QString &model,
                               const QString &driverText, const QString &versionText)
{
    if (devices.isEmpty()) {
        hwForm->addRow(tr(deviceModelLabel), &valueLbl[DeviceModel]);
        hwForm->addRow(tr(revisionLabel), &valueLbl[DeviceRevision]);
        hwForm->addRow(tr(serialNumberLabel), &valueLbl[SerialNumber]);
        valueLbl[DeviceModel].setText(model);
        valueLbl[DeviceRevision].setText(revision);
        valueLbl[SerialNumber].setText(serial);
    } else if (devices.size() == 1) {
        nextBtn->show();
        prevBtn->show();
    }

    current.driverRevision = driverText.isEmpty() ? valueLbl[DriverRevision].text() : driverText;
    current.panelRevision = versionText.isEmpty() ? valueLbl[PanelRevision].text() : versionText;
    current.model = model;
    current.revision = revision;
    current.serial = serial;
    devices.append(current);
}

void qx2010fp_About::addInfoRow(const QString &label, const QString &value, bool hardware)
{
    auto *valueLabel = new QLabel(value);
    if (!hardware) {
        swForm->addRow(label, valueLabel);
        return;
    }
    hwForm->addRow(label, valueLabel);
    if (isLabel(label, serialNumberLabel))
        current.serial = value;
    else if (isLabel(label, revisionLabel))
        current.revision = value;
    else if (isLabel(label, deviceModelLabel))
        current.model = value;
}

void qx2010fp_About::addHardwareInfo(const QString &label, const QString &value)
{
    addInfoRow(label, value, true);
}

void qx2010fp_About::setDeviceModel(const QString &value)
{
    addInfoRow(tr(deviceModelLabel), value, true);
}

void qx2010fp_About::setRevision(const QString &value)
{
    addInfoRow(tr(revisionLabel), value, true);
}

void qx2010fp_About::setSerialNumber(const QString &value)
{
    addInfoRow(tr(serialNumberLabel), value, true);
}

QString qx2010fp_About::deviceModel() const
{
    return current.model;
}

QString qx2010fp_About::revision() const
{
    return current.revision;
}

// The buttons are enabled only where a record follows or precedes; the
// checks keep a direct call of the slot from stepping outside the list.
void qx2010fp_About::next()
{
    if (devIndex + 1 >= devices.size())
        return;
    ++devIndex;
    if (devIndex == devices.size() - 1)
        nextBtn->setEnabled(false);
    prevBtn->setEnabled(true);
    showDevice(devices.at(devIndex));
}

void qx2010fp_About::prev()
{
    if (devIndex <= 0)
        return;
    --devIndex;
    if (devIndex == 0)
        prevBtn->setEnabled(false);
    nextBtn->setEnabled(true);
    showDevice(devices.at(devIndex));
}

void qx2010fp_About::showLicense()
{
    qtLicense viewer(this);
    viewer.exec();
}

void qx2010fp_About::showDevice(const DeviceRecord &record)
{
    if (!record.driverRevision.isEmpty())
        valueLbl[DriverRevision].setText(record.driverRevision);
    if (!record.panelRevision.isEmpty())
        valueLbl[PanelRevision].setText(record.panelRevision);
    valueLbl[DeviceModel].setText(record.model);
    valueLbl[DeviceRevision].setText(record.revision);
    valueLbl[SerialNumber].setText(record.serial);
}
