// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The About box of the soft front panels: the card, the maker's notice, the
// toolkit with its licence, software revisions and hardware information.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

class QFormLayout;
class QPushButton;

// Part of the side picture (of size image) that the About box shows for a
// font of line height lineHeight: the bottom rows, at most 28 lines but at
// least 8 lines high, clipped to the picture.
QRect aboutPictureRect(const QSize &image, int lineHeight);

class qx2010fp_About final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(qx2010fp_About)

public:
    // All texts are 8-bit strings from the C libraries; libRevisionText may
    // be null, and then the common library's row is left out.
    qx2010fp_About(const char *versionText, const char *driverText, const char *modelText,
                   const char *noticeText, QWidget *parent, const char *libRevisionText);
    ~qx2010fp_About() override;

    void addDevice(const QString &serial, const QString &revision, const QString &model,
                   const QString &driverText, const QString &versionText);
    void addInfoRow(const QString &label, const QString &value, bool hardware);
    void addHardwareInfo(const QString &label, const QString &value);
    void setDeviceModel(const QString &value);
    void setRevision(const QString &value);
    void setSerialNumber(const QString &value);
    QString deviceModel() const;
    QString revision() const;

    // Read-only views of the box's parts, for whoever reads it (tests).
    QFormLayout *softwareForm() const { return swForm; }
    QFormLayout *hardwareForm() const { return hwForm; }
    QPushButton *nextButton() const { return nextBtn; }
    QPushButton *previousButton() const { return prevBtn; }
    int deviceIndex() const { return devIndex; }

public slots:
    void next();
    void prev();

private slots:
    void showLicense();

private:
    enum ValueLabel {
        LibraryRevision,
        DriverRevision,
        PanelRevision,
        DeviceModel,
        DeviceRevision,
        SerialNumber,
        ValueLabelCount
    };

    struct DeviceRecord
    {
        QString driverRevision;
        QString panelRevision;
        QString model;
        QString revision;
        QString serial;
    };

    void showDevice(const DeviceRecord &record);

    int devIndex = 0;
    QFormLayout *swForm = nullptr;
    QFormLayout *hwForm = nullptr;
    QLabel valueLbl[ValueLabelCount];
    QPushButton *nextBtn = nullptr;
    QPushButton *prevBtn = nullptr;
    DeviceRecord current;
    QList<DeviceRecord> devices;
};
