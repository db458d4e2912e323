// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The dialog in which the operator picks the function card to connect to,
// and the object that carries the result of the whole connection sequence.
#pragma once

#include "sfpstartchoice.h"
#include "visatype.h"

#include <QDialog>
#include <QList>
#include <QString>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class qx2010fp_genFC;

class qx2010fp_fcSelect : public QDialog
{
    Q_OBJECT

public:
    qx2010fp_fcSelect(qx2010fp_genFC *fc, int multiSelect);
    ~qx2010fp_fcSelect() override;

    // Scans every VISA instrument resource for cards, fills the tree and
    // returns the number of selectable cards listed (0 to 256).
    virtual int findFunctionCards();

    // Asks the operator how to connect and opens the driver session for the
    // chosen card(s), or chooses demo mode. Returns false when the operator
    // cancelled. The result is in the members below.
    bool connectFc();

public slots:
    void dblClick(QTreeWidgetItem *item);
    void okPressed();

public:
    static constexpr int maxCards = 256;

    QPushButton *m_okButton = nullptr;
    QTreeWidget *m_tree = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QList<QTreeWidgetItem *> m_selectedItems;
    QString m_descriptors;
    qint16 m_fcNumbers[maxCards];
    int m_demoMode = 0;
    int m_fcCount;
    ViSession m_session = 0;
    qx2010fp_genFC *m_fc = nullptr;
    // Where connectFc begins; only its first step: a "Try Again" asks.
    sfpStartChoice m_start;

private:
    Q_DISABLE_COPY_MOVE(qx2010fp_fcSelect)
};
