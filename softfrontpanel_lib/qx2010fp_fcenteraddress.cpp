// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "qx2010fp_fcenteraddress.h"

#include "descriptorstore.h"
#include "inifilesave.h"
#include "modeltext.h"
#include "qx2010fp_genfc.h"
#include "sfpicons.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

namespace {

//: Tool tip of the descriptor box; the descriptors and the markup stay as they are
const char descriptorToolTip[] = QT_TRANSLATE_NOOP(
    "qx2010fp_fcEnterAddressFc",
    "Enter the Instrument descriptor for the Function Card you want to connect to.<br>"
    "Examples:<br>"
    "<b>VXI0::1::INSTR</b> - VXI mainframe 0, Module with Logical Address 1<br>"
    "<b>TCPIP::192.168.2.60::INSTR</b> - Network Instrument with IP Address 192.168.2.60");

// Space after each row of the dialog, in pixels.
constexpr int rowSpacing = 10;

QStringList comboEntries(const QComboBox *combo)
{
    QStringList entries;
    entries.reserve(combo->count());
    for (int i = 0; i < combo->count(); ++i)
        entries.append(combo->itemText(i));
    return entries;
}

} // namespace

qx2010fp_fcEnterAddressFc::qx2010fp_fcEnterAddressFc(qx2010fp_genFC *fc)
    : QWidget(nullptr)
{
    Q_UNUSED(fc);
    const QFontMetrics metrics(font());

    auto *rowLayout = new QVBoxLayout(this);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    auto *descriptorLine = new QHBoxLayout;
    auto *numberLine = new QHBoxLayout;

    descriptorLine->addWidget(new QLabel(tr("Instrument Descriptor:")));
    m_descriptorCombo = new QComboBox;
    m_descriptorCombo->setEditable(true);
    m_descriptorCombo->setMinimumWidth(20 * metrics.height());
    m_descriptorCombo->setToolTip(tr(descriptorToolTip));
    descriptorLine->addWidget(m_descriptorCombo);

    numberLine->addWidget(new QLabel(tr("Function Card Number:")));
    m_fcCombo = new QComboBox;
    //: First entry of the card number box, before a number is chosen
    m_fcCombo->addItem(tr("Select"));
    for (int number = 1; number <= qx2010fp_fcEnterAddress::maxRows; ++number)
        m_fcCombo->addItem(QStringLiteral("FC %1").arg(number));
    m_fcCombo->setToolTip(tr("Select the Function Card Number"));
    numberLine->addWidget(m_fcCombo);
    numberLine->addStretch();

    rowLayout->addLayout(descriptorLine);
    rowLayout->addLayout(numberLine);
}

qx2010fp_fcEnterAddressFc::~qx2010fp_fcEnterAddressFc() = default;

qx2010fp_fcEnterAddress::qx2010fp_fcEnterAddress(qx2010fp_genFC *fc)
    : QDialog(nullptr)
{
    m_iniFile = sfp::descriptorStore::iniFilePath();
    m_model = sfp::modelText(fc->modelCode);
    const bool multiCard = m_model == QLatin1String("6052") || m_model == QLatin1String("6087");

    setWindowTitle(
        //: %1 is the card's model number, e.g. 6052
        multiCard ? tr("Orbelan %1 SFP: Enter Addresses of Function Cards").arg(m_model)
                  //: %1 is the card's model number, e.g. 5170
                  : tr("Orbelan %1 SFP: Enter Function Card Address").arg(m_model));
    setWindowIcon(sfpIcons::panel());

    auto *bottomLine = new QHBoxLayout;
    auto *dialogLayout = new QVBoxLayout;

    m_countCombo = new QComboBox;
    for (int count = 1; count <= maxRows; ++count)
        m_countCombo->addItem(QString::number(count));

    if (multiCard) {
        bottomLine->addWidget(new QLabel(
            //: Label of the box that says how many cards' addresses are entered
            tr("Count: ")));
        bottomLine->addWidget(m_countCombo);
    } else {
        // Never shown, but it holds the count that the file keeps; owned by
        // the dialog like every other widget of it.
        m_countCombo->setParent(this);
        m_countCombo->hide();
    }

    bottomLine->addStretch();
    m_okButton = new QPushButton(tr("OK"));
    m_cancelButton = new QPushButton(tr("Cancel"));
    // Enter confirms a typed descriptor in its box; it must not also close
    // the dialog.
    m_okButton->setAutoDefault(false);
    m_cancelButton->setAutoDefault(false);
    bottomLine->addWidget(m_okButton);
    bottomLine->addWidget(m_cancelButton);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    for (int j = 0; j < maxRows; ++j) {
        if (j == 0 || multiCard) {
            m_rows[j] = new qx2010fp_fcEnterAddressFc(fc);
            dialogLayout->addWidget(m_rows[j]);
            dialogLayout->addSpacing(rowSpacing);
        } else {
            m_rows[j] = nullptr;
        }
    }

    dialogLayout->addLayout(bottomLine);
    setLayout(dialogLayout);

    connect(m_countCombo, &QComboBox::currentIndexChanged, this,
            &qx2010fp_fcEnterAddress::countChanged);

    enableRowsInUse();
    adjustSize();
}

qx2010fp_fcEnterAddress::~qx2010fp_fcEnterAddress() = default;

void qx2010fp_fcEnterAddress::enableRowsInUse()
{
    const int rowsInUse = m_countCombo->currentIndex() + 1;
    for (int j = 0; j < maxRows; ++j) {
        if (m_rows[j])
            m_rows[j]->setEnabled(j < rowsInUse);
    }
}

void qx2010fp_fcEnterAddress::countChanged()
{
    enableRowsInUse();
    adjustSize();
}

void qx2010fp_fcEnterAddress::loadDescriptors()
{
    using namespace sfp::descriptorStore;

    // What the operator typed last could not be stored: showing the file
    // again would take it away from them.
    if (m_lastSaveFailed)
        return;

    QSettings file(m_iniFile, QSettings::IniFormat);
    file.beginGroup(m_model);
    for (int r = 1; r <= maxRows; ++r) {
        qx2010fp_fcEnterAddressFc *row = m_rows[r - 1];
        if (!row)
            break;
        row->m_descriptorCombo->clear();
        for (int k = 1; k <= historyLength; ++k) {
            const QString descriptor = sfp::iniFile::text(file, descriptorKey(r, k));
            if (!descriptor.isEmpty())
                row->m_descriptorCombo->addItem(descriptor);
            else if (r == 1 && k == 1)
                row->m_descriptorCombo->addItem(QLatin1String(defaultDescriptor));
        }
        row->m_fcCombo->setCurrentIndex(fcNumberIndex(storedNumber(file, fcNumberKey(r), 0)));
    }
    m_countCombo->setCurrentIndex(
        countIndex(storedNumber(file, QLatin1String(countKey), 1), m_countCombo->count()));
    file.endGroup();
}

void qx2010fp_fcEnterAddress::saveDescriptors(QStringList &descriptors, QList<int> &fcNumbers)
{
    using namespace sfp::descriptorStore;

    descriptors.clear();
    fcNumbers.clear();
    const int rowsInUse = m_countCombo->currentIndex() + 1;
    for (int r = 1; r <= rowsInUse && m_rows[r - 1]; ++r) {
        descriptors.append(m_rows[r - 1]->m_descriptorCombo->currentText());
        fcNumbers.append(m_rows[r - 1]->m_fcCombo->currentIndex());
    }

    // Only this model's own keys are set: every other key of the file, in
    // this section or another, keeps its value.
    const bool saved = save(m_iniFile, [this, rowsInUse](QSettings &file) {
        file.beginGroup(m_model);
        for (int r = 1; r <= maxRows; ++r) {
            const qx2010fp_fcEnterAddressFc *row = m_rows[r - 1];
            if (!row)
                break;
            const QString current = row->m_descriptorCombo->currentText();
            const QStringList entries = history(current, comboEntries(row->m_descriptorCombo));
            for (int k = 1; k <= historyLength; ++k)
                file.setValue(descriptorKey(r, k),
                              k <= entries.size() ? entries.at(k - 1) : QString());
            file.setValue(fcNumberKey(r), row->m_fcCombo->currentIndex());
        }
        file.setValue(QLatin1String(countKey), rowsInUse);
        file.endGroup();
    });
    m_lastSaveFailed = !saved;
}
