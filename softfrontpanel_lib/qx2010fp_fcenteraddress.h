// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The dialogs in which the operator types the VISA resource descriptor of
// the motherboard that carries the card and picks the card's number on it:
// one row for most models, up to eight rows with a count for the models
// that bind several cards at once.
#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>

class QComboBox;
class QPushButton;
class qx2010fp_genFC;

// One row: the descriptor with its history, and the function-card number.
class qx2010fp_fcEnterAddressFc final : public QWidget
{
    Q_OBJECT

public:
    explicit qx2010fp_fcEnterAddressFc(qx2010fp_genFC *fc);
    ~qx2010fp_fcEnterAddressFc() override;

    // Editable; its list is the row's descriptor history, most recent first.
    QComboBox *m_descriptorCombo = nullptr;
    // "Select", "FC 1" ... "FC 8": the current index is the card number,
    // 0 meaning that none was chosen.
    QComboBox *m_fcCombo = nullptr;

private:
    Q_DISABLE_COPY_MOVE(qx2010fp_fcEnterAddressFc)
};

class qx2010fp_fcEnterAddress final : public QDialog
{
    Q_OBJECT

public:
    static constexpr int maxRows = 8;

    explicit qx2010fp_fcEnterAddress(qx2010fp_genFC *fc);
    ~qx2010fp_fcEnterAddress() override;

    // Fills every row and the count from the model's section of the file.
    void loadDescriptors();
    // Writes every row and the count to the file, and gives the descriptor
    // and card number of each row in use, in row order.
    void saveDescriptors(QStringList &descriptors, QList<int> &fcNumbers);

public slots:
    // Enables the rows in use and disables the others (keeping what they
    // hold), then fits the dialog to its contents.
    void countChanged();

public:
    // In row order; only the first is set unless the model binds several
    // cards at once.
    std::array<qx2010fp_fcEnterAddressFc *, maxRows> m_rows {};
    // Model text and section name in the file, e.g. "5170".
    QString m_model;
    // Full path of DefaultInstrDescr.ini.
    QString m_iniFile;
    // "1" ... "8": the number of rows in use is its current index + 1. Only
    // shown for models that bind several cards; it holds the count anyway.
    QComboBox *m_countCombo = nullptr;

    QPushButton *okButton() const { return m_okButton; }
    QPushButton *cancelButton() const { return m_cancelButton; }

private:
    Q_DISABLE_COPY_MOVE(qx2010fp_fcEnterAddress)

    void enableRowsInUse();

    QPushButton *m_okButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    // Set when the last save did not reach the file: the rows then still
    // hold what the operator typed, which the file cannot give back.
    bool m_lastSaveFailed = false;
};
