// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The resource scan of the selection dialog: its progress while the core's
// scan examines the resources, then the cards found, listed in the tree.
#include "qx2010fp_fcselect.h"

#include "modeltext.h"
#include "qx2010fp_genfc.h"
#include "resourcescan.h"

#include <QApplication>
#include <QFutureWatcher>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTreeWidget>

#include <memory>

namespace {

void showCardLimitMessage(int modelCode)
{
    QMessageBox box(
        QMessageBox::Question,
        qx2010fp_fcSelect::tr("Orbelan %1 SFP: Select Function Card")
            .arg(sfp::modelText(modelCode)),
        //: %1 is the largest number of cards the panel takes, e.g. 8
        qx2010fp_fcSelect::tr("Found more Function Cards than supported by this SoftFrontPanel. "
                              "Only first %1 are available.\n"
                              "Please contact Tarvex's support if you need support for more "
                              "cards.")
            .arg(qx2010fp_fcSelect::maxCards),
        QMessageBox::NoButton, QApplication::activeWindow());
    QPushButton *continueButton
        = box.addButton(qx2010fp_fcSelect::tr("Continue"), QMessageBox::AcceptRole);
    box.setDefaultButton(continueButton);
    box.exec();
}

// The progress dialog has no Cancel button, but Esc and the window's close
// button would still end its exec() while the examinations run; the scan
// would then wait for them on this thread, with the GUI frozen until the
// slowest open returns. The dialog goes only when the work is done, through
// reset(), which hides it without a close event.
class KeepOpen final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::KeyPress
            && static_cast<const QKeyEvent *>(event)->key() == Qt::Key_Escape)
            return true;
        return QObject::eventFilter(watched, event);
    }
};

QString groupKey(const QString &descriptor)
{
    const qsizetype colon = descriptor.indexOf(QLatin1Char(':'));
    return colon < 0 ? descriptor : descriptor.left(colon);
}

} // namespace

int qx2010fp_fcSelect::findFunctionCards()
{
    m_tree->clear();
    int selectable = 0;

    // Closes VISA's handles when the tree is filled.
    sfp::ResourceScan scan(m_fc);
    if (!scan.start())
        return 0;

    // The network resources are examined behind a progress dialog.
    auto progress = std::make_unique<QProgressDialog>(this);
    auto watcher = std::make_unique<QFutureWatcher<void>>();
    progress->setWindowTitle(QStringLiteral("Orbelan %1").arg(sfp::modelText(m_fc->modelCode)));
    //: Progress of the search for cards
    progress->setLabelText(tr("Searching..."));
    progress->setCancelButton(nullptr);
    KeepOpen keepOpen;
    progress->installEventFilter(&keepOpen);
    connect(watcher.get(), &QFutureWatcherBase::finished, progress.get(), &QProgressDialog::reset);
    connect(watcher.get(), &QFutureWatcherBase::progressRangeChanged, progress.get(),
            &QProgressDialog::setRange);
    connect(watcher.get(), &QFutureWatcherBase::progressValueChanged, progress.get(),
            &QProgressDialog::setValue);

    const QFuture<void> future = scan.future();
    watcher->setFuture(future);
    // The watcher reports through events, so finished() reaches reset() only
    // inside exec()'s loop; should the work be done before exec() even
    // starts, there is nothing to wait for and the dialog is not shown.
    if (!future.isFinished())
        progress->exec();
    const QList<resourceInfo_t> resources = scan.results();
    watcher.reset();
    progress.reset();

    QString previousKey;
    QTreeWidgetItem *group = nullptr;
    bool limitReached = false;
    for (const resourceInfo_t &resource : resources) {
        const QString key = groupKey(resource.resourceName);
        if (previousKey.isNull() || key != previousKey) {
            previousKey = key;
            group = new QTreeWidgetItem(m_tree, QStringList(key));
            group->setExpanded(true);
            group->setFlags(Qt::ItemIsEnabled);
        }
        if (resource.systemColumns.isEmpty())
            continue;

        auto *system = new QTreeWidgetItem(group, resource.systemColumns);
        system->setFlags(Qt::ItemIsEnabled);
        int systemSelectable = 0;
        for (qsizetype k = 0; k < resource.fcColumns.size() && !limitReached; ++k) {
            auto *card = new QTreeWidgetItem(system, resource.fcColumns.at(k));
            const qint32 fcNumber = resource.fcNumbers.value(k);
            card->setData(0, Qt::StatusTipRole, fcNumber);
            card->setData(1, Qt::StatusTipRole, resource.resourceName);
            if (fcNumber == 0) {
                card->setFlags(Qt::NoItemFlags);
                continue;
            }
            m_descriptors = resource.resourceName;
            m_fcNumbers[0] = static_cast<qint16>(fcNumber);
            ++selectable;
            ++systemSelectable;
            card->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            if (selectable == maxCards) {
                showCardLimitMessage(m_fc->modelCode);
                limitReached = true;
            }
        }
        system->setExpanded(systemSelectable != 0);
        if (limitReached)
            break;
    }

    m_tree->resizeColumnToContents(0);
    m_tree->resizeColumnToContents(1);
    return selectable;
}
