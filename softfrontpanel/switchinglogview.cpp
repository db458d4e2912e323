// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "switchinglogview.h"

#include "switchinglog.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <deque>
#include <optional>

// The log's events, newest in the first row.
class SwitchingLogModel final : public QAbstractTableModel
{
public:
    enum Column { Time, Source, Change, ColumnCount };

    explicit SwitchingLogModel(const sfp::SwitchingLog *log, QObject *parent)
        : QAbstractTableModel(parent)
        , m_events(log->recent())
    { }

    int rowCount(const QModelIndex &parent) const override
    {
        return parent.isValid() ? 0 : int(m_events.size());
    }
    int columnCount(const QModelIndex &parent) const override
    {
        return parent.isValid() ? 0 : ColumnCount;
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
            return {};
        const sfp::SwitchingEvent &event = at(index.row());
        switch (index.column()) {
        case Time:
            return event.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        case Source:
            return event.client.isEmpty()
                ? event.source
                : QStringLiteral("%1 (%2)").arg(event.source, event.client);
        case Change:
            return event.change();
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        static const char *const names[] = {QT_TRANSLATE_NOOP("SwitchingLogView", "Time"),
                                            QT_TRANSLATE_NOOP("SwitchingLogView", "Source"),
                                            QT_TRANSLATE_NOOP("SwitchingLogView", "Change")};
        return section >= 0 && section < ColumnCount ? SwitchingLogView::tr(names[section])
                                                     : QVariant();
    }

    const sfp::SwitchingEvent &at(int row) const
    {
        return m_events[m_events.size() - 1 - size_t(row)];
    }

    // Appends the event; the source of the oldest one when it had to go.
    std::optional<QString> append(const sfp::SwitchingEvent &event)
    {
        std::optional<QString> gone;
        if (m_events.size() >= size_t(sfp::SwitchingLog::recentCount)) {
            const int last = int(m_events.size()) - 1;
            beginRemoveRows({}, last, last);
            gone = m_events.front().source;
            m_events.pop_front();
            endRemoveRows();
        }
        beginInsertRows({}, 0, 0);
        m_events.push_back(event);
        endInsertRows();
        return gone;
    }

private:
    std::deque<sfp::SwitchingEvent> m_events; // oldest first
};

SwitchingLogView::SwitchingLogView(sfp::SwitchingLog *log, QWidget *parent)
    : QDialog(parent)
    , m_model(new SwitchingLogModel(log, this))
    , m_filter(new QSortFilterProxyModel(this))
    , m_table(new QTableView)
    , m_sources(new QComboBox)
{
    setWindowTitle(tr("Switching log"));
    setModal(false);
    setObjectName(QStringLiteral("switchingLogView"));

    m_filter->setSourceModel(m_model);
    m_filter->setFilterKeyColumn(SwitchingLogModel::Source);
    m_table->setModel(m_filter);
    m_table->setObjectName(QStringLiteral("switchingLogTable"));
    m_table->setAccessibleName(tr("Switching log"));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setWordWrap(false);

    m_sources->setObjectName(QStringLiteral("switchingLogSources"));
    m_sources->setAccessibleName(tr("Source"));
    m_sources->addItem(tr("All sources"));
    for (const sfp::SwitchingEvent &event : log->recent())
        noteSource(event.source);
    connect(m_sources, &QComboBox::activated, this, &SwitchingLogView::filterBySource);

    auto *copy = new QPushButton(tr("Copy as SCPI"));
    copy->setObjectName(QStringLiteral("copyScpi"));
    connect(copy, &QPushButton::clicked, this, &SwitchingLogView::copySelection);
    auto *copyKey = new QAction(this);
    copyKey->setShortcut(QKeySequence::Copy);
    connect(copyKey, &QAction::triggered, this, &SwitchingLogView::copySelection);
    m_table->addAction(copyKey);
    //: the button that closes the window
    auto *close = new QPushButton(tr("Close"));
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    auto *filterRow = new QHBoxLayout;
    auto *filterLabel = new QLabel(tr("&Source:"));
    filterLabel->setBuddy(m_sources);
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(m_sources, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(copy);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filterRow);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);

    connect(log, &sfp::SwitchingLog::appended, this, [this](const sfp::SwitchingEvent &event) {
        if (const std::optional<QString> gone = m_model->append(event))
            forgetSource(*gone);
        noteSource(event.source);
    });
    m_table->resizeColumnsToContents();
    resize(720, 420);
}

SwitchingLogView::~SwitchingLogView() = default;

// The list offers the sources of the changes shown, and the one chosen: a
// panel that scripts reach through a new connection for every command
// (each one a source of its own) would otherwise list them all, for ever.
void SwitchingLogView::noteSource(const QString &source)
{
    if (m_sourceRows[source]++ == 0 && source != m_chosenSource)
        m_sources->addItem(source);
}

void SwitchingLogView::forgetSource(const QString &source)
{
    if (--m_sourceRows[source] > 0)
        return;
    m_sourceRows.remove(source);
    if (source != m_chosenSource)
        m_sources->removeItem(m_sources->findText(source, Qt::MatchExactly));
}

void SwitchingLogView::filterBySource(int index)
{
    const QString chosen = index > 0 ? m_sources->itemText(index) : QString();
    if (!m_chosenSource.isEmpty() && m_chosenSource != chosen
        && !m_sourceRows.contains(m_chosenSource))
        m_sources->removeItem(m_sources->findText(m_chosenSource, Qt::MatchExactly));
    m_chosenSource = chosen;
    // A source's own changes and those of the commands it gave ("*RCL 2
    // (socket ...)"), matched from the start of the column.
    if (chosen.isEmpty()) {
        m_filter->setFilterRegularExpression(QString());
        return;
    }
    const QString source = QRegularExpression::escape(chosen);
    m_filter->setFilterRegularExpression(
        QRegularExpression(QStringLiteral("^%1( \\(.*\\))?$|\\(%1\\)$").arg(source)));
}

QString SwitchingLogView::selectedScpi() const
{
    QList<int> rows;
    for (const QModelIndex &index : m_table->selectionModel()->selectedRows())
        rows.append(m_filter->mapToSource(index).row());
    // The view shows the newest first; commands are given oldest first.
    std::sort(rows.begin(), rows.end(), std::greater<>());
    QStringList lines;
    for (int row : rows) {
        const QByteArray command = m_model->at(row).scpi();
        if (!command.isEmpty())
            lines.append(QString::fromLatin1(command));
    }
    return lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void SwitchingLogView::copySelection() const
{
    const QString text = selectedScpi();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}
