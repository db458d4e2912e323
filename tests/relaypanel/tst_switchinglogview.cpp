// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The "Switching log" window: the newest change first, live, filtered by
// source, copied as SCPI lines oldest first.
#include "switchinglog.h"
#include "switchinglogview.h"

#include "sfptest.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QPersistentModelIndex>
#include <QPushButton>
#include <QRegularExpression>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTest>

using sfp::SwitchingEvent;

namespace {

SwitchingEvent change(const QString &source, int relay, bool closed, const QString &client = {})
{
    SwitchingEvent event;
    event.kind = SwitchingEvent::Kind::Relay;
    event.time
        = QDateTime::fromString("2026-12-09T12:00:00.000+01:00", Qt::ISODateWithMs).addMSecs(relay);
    event.source = source;
    event.client = client;
    event.relay = relay;
    event.on = closed;
    event.status = 0;
    return event;
}

QString cell(const QTableView *table, int row, int column)
{
    return table->model()->index(row, column).data().toString();
}

} // namespace

class tst_SwitchingLogView : public QObject
{
    Q_OBJECT

private slots:
    void showsFiltersAndCopies();
};

void tst_SwitchingLogView::showsFiltersAndCopies()
{
    // The toolkit checks a model's changes as they are announced; a change
    // announced wrongly is a fault even where the view happens to cope.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("^QAbstractItemModel::")));
    sfp::SwitchingLog log;
    log.append(change("operator", 1, true));
    log.append(change("socket 127.0.0.1:40112", 2, true));
    SwitchingLogView view(&log);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(view.windowTitle(), QStringLiteral("Switching log"));
    QVERIFY(!view.isModal());
    QTableView *table = view.table();
    QCOMPARE(table->model()->rowCount(), 2);
    QCOMPARE(table->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Time"));
    QCOMPARE(table->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Change"));
    // The newest first.
    QCOMPARE(cell(table, 0, 0), QStringLiteral("2026-12-09 12:00:00.002"));
    QCOMPARE(cell(table, 0, 1), QStringLiteral("socket 127.0.0.1:40112"));
    QCOMPARE(cell(table, 0, 2), QStringLiteral("relay 2 closed"));

    // Live: a change appears at the top, and its source in the filter.
    SwitchingEvent partner = change("*RCL 2", 4, false, "socket 127.0.0.1:40112");
    partner.implied = true;
    log.append(change("*RCL 2", 3, true, "socket 127.0.0.1:40112"));
    log.append(partner);
    log.append(change("operator", 5, true));
    QCOMPARE(table->model()->rowCount(), 5);
    QCOMPARE(cell(table, 0, 2), QStringLiteral("relay 5 closed"));
    QCOMPARE(cell(table, 1, 1), QStringLiteral("*RCL 2 (socket 127.0.0.1:40112)"));
    QComboBox *sources = view.sourceFilter();
    QCOMPARE(sources->count(), 4);
    QCOMPARE(sources->itemText(0), QStringLiteral("All sources"));

    // A client's own changes and those of the commands it gave.
    sources->setCurrentIndex(sources->findText("socket 127.0.0.1:40112"));
    emit sources->activated(sources->currentIndex());
    QCOMPARE(table->model()->rowCount(), 3);
    sources->setCurrentIndex(sources->findText("operator"));
    emit sources->activated(sources->currentIndex());
    QCOMPARE(table->model()->rowCount(), 2);
    sources->setCurrentIndex(0);
    emit sources->activated(0);
    QCOMPARE(table->model()->rowCount(), 5);

    // Copied oldest first; the implied change has no command of its own.
    QCOMPARE(view.selectedScpi(), QString());
    table->selectAll();
    QCOMPARE(view.selectedScpi(),
             QStringLiteral("ROUT:CLOS (@1)\nROUT:CLOS (@2)\nROUT:CLOS (@3)\n"
                            "ROUT:CLOS (@5)\n"));
    table->clearSelection();
    table->selectionModel()->select(table->model()->index(1, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    table->selectionModel()->select(table->model()->index(4, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QApplication::clipboard()->setText(QStringLiteral("before"));
    view.findChild<QPushButton *>(QStringLiteral("copyScpi"))->click();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("ROUT:CLOS (@1)\n"));
    // Nothing to copy leaves the clipboard as it was.
    table->clearSelection();
    table->selectionModel()->select(table->model()->index(1, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view.copySelection();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("ROUT:CLOS (@1)\n"));

    // Clients that connect once for each command are a source each.
    for (int port = 50000; port < 50020; ++port)
        log.append(change(QStringLiteral("socket 127.0.0.1:%1").arg(port), 9, true));
    QCOMPARE(sources->count(), 24);
    sources->setCurrentIndex(sources->findText("socket 127.0.0.1:50007"));
    emit sources->activated(sources->currentIndex());
    QCOMPARE(table->model()->rowCount(), 1);

    // The window keeps the newest changes only.
    for (int i = 0; i < sfp::SwitchingLog::recentCount; ++i)
        log.append(change("operator", i % 32 + 1, i % 2 == 0));
    QCOMPARE(table->model()->rowCount(), 0);
    // The list offers the sources of the changes shown, and the one chosen,
    // which goes once another is chosen.
    QCOMPARE(sources->count(), 3);
    QCOMPARE(sources->itemText(1), QStringLiteral("operator"));
    QCOMPARE(sources->currentText(), QStringLiteral("socket 127.0.0.1:50007"));
    sources->setCurrentIndex(0);
    emit sources->activated(0);
    QCOMPARE(sources->count(), 2);
    QCOMPARE(sources->itemText(1), QStringLiteral("operator"));
    QCOMPARE(table->model()->rowCount(), sfp::SwitchingLog::recentCount);
    // The oldest went: the clients' changes are no longer there to show, the
    // last one of the run is at the top, its first at the bottom.
    QCOMPARE(cell(table, 0, 2), QStringLiteral("relay 16 opened"));
    QCOMPARE(cell(table, sfp::SwitchingLog::recentCount - 1, 2), QStringLiteral("relay 1 closed"));
    sources->setCurrentIndex(sources->findText("operator"));
    emit sources->activated(sources->currentIndex());
    QCOMPARE(table->model()->rowCount(), sfp::SwitchingLog::recentCount);
    QCOMPARE(cell(table, sfp::SwitchingLog::recentCount - 1, 2), QStringLiteral("relay 1 closed"));
    // A selected change that goes is no longer selected; the one above it
    // stays.
    table->clearSelection();
    for (const int row : {sfp::SwitchingLog::recentCount - 2, sfp::SwitchingLog::recentCount - 1})
        table->selectionModel()->select(table->model()->index(row, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCOMPARE(view.selectedScpi(), QStringLiteral("ROUT:CLOS (@1)\nROUT:OPEN (@2)\n"));
    // Whatever else holds on to a change, such as another view of the same
    // changes, is told the same: the oldest is gone, the one above it moved.
    const auto *filter = qobject_cast<const QSortFilterProxyModel *>(table->model());
    QVERIFY(filter);
    const QAbstractItemModel *changes = filter->sourceModel();
    const QPersistentModelIndex oldest(changes->index(sfp::SwitchingLog::recentCount - 1, 0));
    const QPersistentModelIndex aboveIt(changes->index(sfp::SwitchingLog::recentCount - 2, 2));
    QCOMPARE(aboveIt.data().toString(), QStringLiteral("relay 2 opened"));
    log.append(change("operator", 7, true));
    QVERIFY(!oldest.isValid());
    QCOMPARE(aboveIt.row(), sfp::SwitchingLog::recentCount - 1);
    QCOMPARE(aboveIt.data().toString(), QStringLiteral("relay 2 opened"));
    QCOMPARE(view.selectedScpi(), QStringLiteral("ROUT:OPEN (@2)\n"));
    QCOMPARE(table->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(table->selectionModel()->selectedRows().constFirst().row(),
             sfp::SwitchingLog::recentCount - 1);
    // A source that comes back is offered again, once.
    log.append(change("socket 127.0.0.1:40112", 3, true));
    log.append(change("socket 127.0.0.1:40112", 3, false));
    QCOMPARE(sources->count(), 3);
    QCOMPARE(sources->itemText(2), QStringLiteral("socket 127.0.0.1:40112"));
    QCOMPARE(table->model()->rowCount(), sfp::SwitchingLog::recentCount - 2);
}

SFPTEST_MAIN(tst_SwitchingLogView)
#include "tst_switchinglogview.moc"
