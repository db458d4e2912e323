// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The "Switching log" window: the newest changes of the card, live, with
// who made them; filtered by source, and copied as SCPI lines.
#pragma once

#include <QDialog>
#include <QHash>
#include <QString>

class QComboBox;
class QSortFilterProxyModel;
class QTableView;

namespace sfp {
class SwitchingLog;
} // namespace sfp

class SwitchingLogModel;

class SwitchingLogView final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SwitchingLogView)

public:
    explicit SwitchingLogView(sfp::SwitchingLog *log, QWidget *parent = nullptr);
    ~SwitchingLogView() override;

    // The selected changes' SCPI lines, oldest first, one per line; changes
    // that no command makes on its own are left out.
    QString selectedScpi() const;
    void copySelection() const;

    QTableView *table() const { return m_table; }
    QComboBox *sourceFilter() const { return m_sources; }

private:
    void filterBySource(int index);
    void noteSource(const QString &source);
    void forgetSource(const QString &source);

    SwitchingLogModel *m_model;
    QSortFilterProxyModel *m_filter;
    QTableView *m_table;
    QComboBox *m_sources;
    QHash<QString, int> m_sourceRows; // changes shown of each source
    QString m_chosenSource; // empty: all sources
};
