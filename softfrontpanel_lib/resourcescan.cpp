// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The resource scan of the selection dialog: every VISA instrument resource
// examined (network ones in parallel), sorted, and listed in the tree.
#include "platformlibraries.h"
#include "qx2010fp_fcselect.h"

#include "descriptorordering.h"
#include "modeltext.h"
#include "qx2010fp_genfc.h"
#include "resourceinfo.h"

#include "visa.h"

#include <QApplication>
#include <QFutureWatcher>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProgressDialog>
#include <QThread>
#include <QThreadPool>
#include <QTreeWidget>
#include <QtConcurrent/QtConcurrentMap>

#include <memory>
#include <vector>

namespace {

// The parallel part never uses more threads than resources, and at most 128.
constexpr int maxScanThreads = 128;

void showCardLimitMessage(int modelCode)
{
    QMessageBox box(
        QMessageBox::Question,
        QStringLiteral("Orbelan %1 SFP: Select Function Card").arg(sfpModelText(modelCode)),
        QStringLiteral("Found more Function Cards than supported by this SoftFrontPanel. "
                       "Only first %1 are available.\n"
                       "Please contact Tarvex's support if you need support for more "
                       "cards.")
            .arg(qx2010fp_fcSelect::maxCards),
        QMessageBox::NoButton, QApplication::activeWindow());
    QPushButton *continueButton
        = box.addButton(QStringLiteral("Continue"), QMessageBox::AcceptRole);
    box.setDefaultButton(continueButton);
    box.exec();
}

// Removes all but the first resource of each LXI address, keeping the
// discovery order; resources whose address is unknown all stay.
QList<resourceInfo_t> withoutDuplicateLxiSystems(const QList<resourceInfo_t> &resources)
{
    QList<resourceInfo_t> kept;
    for (const resourceInfo_t &resource : resources) {
        bool duplicate = false;
        if (!resource.lxiAddress.isEmpty()) {
            for (const resourceInfo_t &other : kept)
                duplicate = duplicate || other.lxiAddress == resource.lxiAddress;
        }
        if (!duplicate)
            kept.append(resource);
    }
    return kept;
}

// The examinations run in a pool of their own, never used for anything
// else, so that a scan does not depend on what other work the global pool
// was doing when it started: a worker of an earlier job still counts as
// active there for a moment after its job is reported finished, leaves one
// thread fewer, and makes a whole round of opens wait. Kept for the whole
// run, so that a scan after "Try Again" reuses the threads of the last one.
QThreadPool &examinerPool()
{
    static QThreadPool *pool = new QThreadPool;
    return *pool;
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
    QList<resourceInfo_t> resources;
    int selectable = 0;

    ViSession rm = VI_NULL;
    if (sfpLibraries().viOpenDefaultRM(&rm) != VI_SUCCESS) {
        sfpLibraries().viClose(rm);
        return 0;
    }
    ViFindList findList = VI_NULL;
    ViUInt32 count = 0;
    char descriptor[VI_FIND_BUFLEN] = {};
    if (sfpLibraries().viFindRsrc(rm, "?*INSTR", &findList, &count, descriptor) != VI_SUCCESS) {
        sfpLibraries().viClose(rm);
        return 0;
    }
    if (count == 0) {
        sfpLibraries().viClose(findList);
        sfpLibraries().viClose(rm);
        return 0;
    }
    ViStatus status = VI_SUCCESS;
    do {
        descriptor[VI_FIND_BUFLEN - 1] = '\0';
        resourceInfo_t resource;
        resource.resourceName = QString::fromLatin1(descriptor);
        resources.append(resource);
        --count;
        status = sfpLibraries().viFindNext(findList, descriptor);
    } while (status == VI_SUCCESS && count > 0);

    // Examination: everything but TCP/IP on this thread first, then the
    // network resources in parallel behind a progress dialog.
    const qsizetype n = resources.size();
    std::vector<getResourceInfo_params_t> records(static_cast<size_t>(n));
    auto progress = std::make_unique<QProgressDialog>(this);
    auto watcher = std::make_unique<QFutureWatcher<void>>();
    const int threads = static_cast<int>(qBound<qsizetype>(1, n, qsizetype(maxScanThreads)));
    QThreadPool::globalInstance()->setMaxThreadCount(threads);
    QThreadPool &examiners = examinerPool();
    examiners.setMaxThreadCount(threads);

    QList<getResourceInfo_params_t *> work;
    for (qsizetype i = 0; i < n; ++i) {
        getResourceInfo_params_t &record = records[static_cast<size_t>(i)];
        record.fc = m_fc;
        record.defaultRM = rm;
        record.info = resources.at(i);
        record.done = false;
        if (!record.info.resourceName.contains(QLatin1String("TCPIP"), Qt::CaseInsensitive)) {
            getResourceInfo(&record);
            record.done = true;
        }
        work.append(&record);
    }

    progress->setWindowTitle(QStringLiteral("Orbelan %1").arg(sfpModelText(m_fc->modelCode)));
    progress->setLabelText(QStringLiteral("Searching..."));
    progress->setCancelButton(nullptr);
    KeepOpen keepOpen;
    progress->installEventFilter(&keepOpen);
    connect(watcher.get(), &QFutureWatcherBase::finished, progress.get(), &QProgressDialog::reset);
    connect(watcher.get(), &QFutureWatcherBase::progressRangeChanged, progress.get(),
            &QProgressDialog::setRange);
    connect(watcher.get(), &QFutureWatcherBase::progressValueChanged, progress.get(),
            &QProgressDialog::setValue);

    QFuture<void> future = QtConcurrent::map(&examiners, work, getResourceInfo);
    watcher->setFuture(future);
    // The watcher reports through events, so finished() reaches reset() only
    // inside exec()'s loop; should the work be done before exec() even
    // starts, there is nothing to wait for and the dialog is not shown.
    if (!future.isFinished())
        progress->exec();
    future.waitForFinished();
    // The future is finished a moment before its last worker is back in the
    // pool; the next scan must find every thread free. (waitForDone would
    // also end the idle threads, which the next scan would have to start
    // again.)
    while (examiners.activeThreadCount() > 0)
        QThread::yieldCurrentThread();

    for (qsizetype i = 0; i < n; ++i)
        resources[i] = records[static_cast<size_t>(i)].info;
    watcher.reset();
    progress.reset();

    resources = withoutDuplicateLxiSystems(resources);
    if (!resources.isEmpty())
        sortResources(resources);

    QString previousKey;
    QTreeWidgetItem *group = nullptr;
    bool limitReached = false;
    for (const resourceInfo_t &resource : std::as_const(resources)) {
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
    sfpLibraries().viClose(findList);
    sfpLibraries().viClose(rm);
    return selectable;
}
