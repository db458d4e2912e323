// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "qx2010fp_fcselect.h"

#include "modeltext.h"
#include "qx2010fp_genfc.h"
#include "sfpicons.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const char hintText[] = "Select one available function card and then click \"OK\" \n"
                        "or click \"Cancel\" to quit";

bool isSelectable(const QTreeWidgetItem *item)
{
    return item && item->flags().testFlag(Qt::ItemIsSelectable);
}

} // namespace

qx2010fp_fcSelect::qx2010fp_fcSelect(qx2010fp_genFC *fc, int multiSelect)
    : QDialog(nullptr)
    , m_fc(fc)
{
    // The numbers are written before anything reads them; start them defined.
    std::fill(std::begin(m_fcNumbers), std::end(m_fcNumbers), qint16(0));
    m_fcCount = 0;

    //: %1 is the card's model number, e.g. 5170
    setWindowTitle(tr("Orbelan %1 SFP: Select Function Card").arg(sfp::modelText(m_fc->modelCode)));
    setWindowIcon(sfpIcons::panel());

    const int fontHeight = fontMetrics().height();
    auto *layout = new QVBoxLayout(this);
    m_tree = new QTreeWidget;
    m_tree->setColumnCount(2);
    //: Headers of the tree of the cards found: the mainframe or LXI box, and the card's model
    m_tree->setHeaderLabels({tr("System"), tr("FC Model")});
    m_tree->setMinimumWidth(24 * fontHeight);
    m_tree->setMinimumHeight(24 * fontHeight);
    if (multiSelect != 0)
        m_tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addWidget(m_tree);

    auto *buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    buttons->addStretch();
    m_okButton = new QPushButton(tr("OK"));
    buttons->addWidget(m_okButton);
    m_cancelButton = new QPushButton(tr("Cancel"));
    buttons->addWidget(m_cancelButton);

    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_okButton, &QPushButton::clicked, this, &qx2010fp_fcSelect::okPressed);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, &qx2010fp_fcSelect::dblClick);

    m_demoMode = 0;
    adjustSize();
}

qx2010fp_fcSelect::~qx2010fp_fcSelect() = default;

void qx2010fp_fcSelect::okPressed()
{
    m_selectedItems = m_tree->selectedItems();
    m_fcCount = static_cast<int>(m_selectedItems.size());
    m_descriptors.clear();
    if (m_selectedItems.isEmpty())
        return;

    for (qsizetype i = 0; i < m_selectedItems.size(); ++i) {
        const QTreeWidgetItem *item = m_selectedItems.at(i);
        // The tree lists at most maxCards selectable cards; anything beyond
        // that has no place in the result.
        if (!isSelectable(item) || i >= maxCards) {
            qDebug("%s", hintText);
            return;
        }
        m_fcNumbers[i] = static_cast<qint16>(item->data(0, Qt::StatusTipRole).toInt());
        m_descriptors += item->data(1, Qt::StatusTipRole).toString();
        if (i == m_selectedItems.size() - 1)
            accept();
        else
            m_descriptors += QLatin1Char(',');
    }
}

void qx2010fp_fcSelect::dblClick(QTreeWidgetItem *item)
{
    if (!isSelectable(item))
        return;
    QTreeWidgetItem *current = m_tree->currentItem();
    if (!isSelectable(current)) {
        qDebug("%s", hintText);
        return;
    }
    m_fcNumbers[0] = static_cast<qint16>(current->data(0, Qt::StatusTipRole).toInt());
    m_descriptors = current->data(1, Qt::StatusTipRole).toString();
    m_fcCount = 1;
    accept();
}
