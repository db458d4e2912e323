// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The switching log's writer thread, inside the log's room only.
#pragma once

#include "logline.h"
#include "switchinglog.h"
#include "systemerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sfp {

// The file's side of the log, on a thread of its own. The log hands it
// events in batches; it makes their lines and writes them in the order
// they came, each write whole lines only, and keeps what went wrong for
// the log to say on the log's own thread.
class SwitchingLog::Writer
{
public:
    explicit Writer(SwitchingLog *log)
        : m_log(log)
    {
        m_filling.reserve();
    }

    // Returns once everything handed over is written.
    ~Writer()
    {
        if (m_thread.joinable()) {
            {
                const std::lock_guard lock(m_mutex);
                m_stopping = true;
            }
            m_work.notify_one();
            m_thread.join();
        }
        closeFile();
    }

    Q_DISABLE_COPY_MOVE(Writer)

    // On the log's thread: the event kept to be handed over. Returns how
    // many wait.
    qsizetype add(const SwitchingEvent &event, logLine::LineRecord record, bool newNames)
    {
        if (newNames || m_filling.names.empty())
            m_filling.names.push_back({event.card, event.source, event.client});
        record.names = qsizetype(m_filling.names.size()) - 1;
        if (event.kind == SwitchingEvent::Kind::Refusal) {
            record.refusal = qsizetype(m_filling.refusals.size());
            m_filling.refusals.push_back(event);
        }
        m_filling.records.push_back(record);
        return qsizetype(m_filling.records.size());
    }

    // On the log's thread: what waits is written to path after what was
    // handed over before.
    void handOver(const QString &path)
    {
        if (m_filling.records.empty())
            return;
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
        m_filling.path = path;
        std::unique_lock lock(m_mutex);
        // A writer far behind (a slow disk) holds the switching back, as a
        // write of the log's own thread would, rather than taking memory
        // without bound.
        if (m_waiting >= waitingLimit) {
            m_work.notify_one();
            m_written.wait(lock, [this] { return m_waiting < waitingLimit; });
        }
        m_waiting += m_filling.records.size();
        m_batches.push_back(std::move(m_filling));
        ++m_handed;
        // While it lingers after a write it looks again by itself: waking
        // it for every turn of a busy event loop would cost the thread
        // that switches more than the lines.
        if (m_idle)
            m_work.notify_one();
        // Lists made and freed for every hand-over would cost the log's
        // thread more than the events in them: those the writer is done
        // with are filled again.
        if (m_spare.empty()) {
            m_filling = {};
            m_filling.reserve();
        } else {
            m_filling = std::move(m_spare.back());
            m_spare.pop_back();
        }
    }

    // Returns once everything handed over so far is written, or has
    // failed.
    void waitForAll()
    {
        std::unique_lock lock(m_mutex);
        const quint64 handed = m_handed;
        if (m_done < handed) {
            m_work.notify_one();
            m_written.wait(lock, [this, handed] { return m_done >= handed; });
        }
    }

    // What could not be written since the last call, each said once.
    QStringList takeFailures()
    {
        const std::lock_guard lock(m_mutex);
        return std::exchange(m_failures, {});
    }

private:
    struct Batch
    {
        QString path;
        std::vector<logLine::LineRecord> records;
        std::vector<logLine::LineNames> names;
        std::vector<SwitchingEvent> refusals;

        void reserve() { records.reserve(size_t(handOverCount)); }
        void clear()
        {
            path.clear();
            records.clear();
            names.clear();
            refusals.clear();
        }
    };

    static constexpr size_t waitingLimit = 64 * size_t(handOverCount);
    static constexpr std::chrono::milliseconds lingerTime {1};
    static constexpr size_t spareCount = 4;

    void run()
    {
        std::unique_lock lock(m_mutex);
        bool linger = false;
        for (;;) {
            if (m_batches.empty()) {
                if (m_stopping)
                    return;
                if (linger) {
                    // A burst goes on handing over without a wake-up.
                    linger = false;
                    m_work.wait_for(lock, lingerTime);
                } else {
                    m_idle = true;
                    m_work.wait(lock, [this] { return !m_batches.empty() || m_stopping; });
                    m_idle = false;
                }
                continue;
            }
            // Both lists keep their room from one turn to the next.
            m_taken.swap(m_batches);
            const quint64 handed = m_handed;
            lock.unlock();
            size_t records = 0;
            for (Batch &batch : m_taken) {
                writeBatch(batch);
                records += batch.records.size();
                // The strings go without holding the log back.
                batch.clear();
            }
            writeLines();
            lock.lock();
            for (Batch &batch : m_taken) {
                if (m_spare.size() < spareCount)
                    m_spare.push_back(std::move(batch));
            }
            m_taken.clear();
            m_waiting -= records;
            m_done = handed;
            const bool say = m_failures.isEmpty() && !m_newFailures.isEmpty();
            m_failures += std::exchange(m_newFailures, {});
            m_written.notify_all();
            if (say) {
                lock.unlock();
                QMetaObject::invokeMethod(
                    m_log, [log = m_log] { log->sayFailures(); }, Qt::QueuedConnection);
                lock.lock();
            }
            linger = true;
        }
    }

    void writeBatch(const Batch &batch)
    {
        if (batch.path != m_path) {
            writeLines();
            closeFile();
            m_path = batch.path;
        }
        for (const logLine::LineRecord &record : batch.records) {
            logLine::appendJson(m_lines, record, batch.names[size_t(record.names)],
                                record.refusal < 0 ? nullptr
                                                   : &batch.refusals[size_t(record.refusal)],
                                &m_lineStart, &m_lineRests);
            m_lines += '\n';
            if (m_lines.size() >= flushSize)
                writeLines();
        }
    }

    void writeLines()
    {
        if (m_lines.size() == 0)
            return;
        const QString why = write(m_lines.data(), m_lines.size());
        m_lines.truncate(0);
        if (why.isEmpty()) {
            m_failureSaid = false;
        } else if (!m_failureSaid) {
            m_failureSaid = true;
            m_newFailures.append(m_path + QStringLiteral(": ") + why);
        }
    }

    QString write(const char *lines, qsizetype size)
    {
        QString why;
        if (m_fd < 0 && !openFile(&why))
            return why;
        if (m_size > 0 && m_size + size > rotateSize) {
            rotate();
            if (!openFile(&why))
                return why;
        }
        // One write: a process that dies leaves the lines whole or not at
        // all.
        const ssize_t written = ::write(m_fd, lines, size_t(size));
        if (written == size) {
            m_size += written;
            return {};
        }
        const int error = written < 0 ? errno : ENOSPC;
        // A line cut short would spoil the next one: it is taken back.
        if (written > 0 && ::ftruncate(m_fd, m_size) != 0)
            return systemError(errno);
        return systemError(error);
    }

    bool openFile(QString *why)
    {
        if (!QDir().mkpath(QFileInfo(m_path).absolutePath())) {
            *why = QStringLiteral("its folder cannot be made");
            return false;
        }
        // Never through a link, never waiting on a FIFO, never into
        // anything but a regular file.
        const QByteArray name = QFile::encodeName(m_path);
        struct stat before
        { };
        if (::lstat(name.constData(), &before) == 0 && !S_ISREG(before.st_mode)) {
            *why = QStringLiteral("it is not a regular file");
            return false;
        }
        m_fd = ::open(name.constData(),
                      O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
        if (m_fd < 0) {
            *why = systemError(errno);
            return false;
        }
        struct stat status
        { };
        if (::fstat(m_fd, &status) != 0 || !S_ISREG(status.st_mode)) {
            closeFile();
            *why = QStringLiteral("it is not a regular file");
            return false;
        }
        m_size = status.st_size;
        // A last line cut by a crash or a full disk would swallow the first
        // line written now: it is ended first.
        char last = '\n';
        if (m_size > 0 && ::pread(m_fd, &last, 1, m_size - 1) == 1 && last != '\n'
            && ::write(m_fd, "\n", 1) == 1)
            ++m_size;
        return true;
    }

    void rotate()
    {
        closeFile();
        const auto numbered = [this](int number) {
            return QFile::encodeName(m_path + QLatin1Char('.') + QString::number(number));
        };
        ::unlink(numbered(keptFiles - 1).constData());
        for (int number = keptFiles - 2; number >= 1; --number)
            ::rename(numbered(number).constData(), numbered(number + 1).constData());
        ::rename(QFile::encodeName(m_path).constData(), numbered(1).constData());
    }

    void closeFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    SwitchingLog *const m_log;

    // The writer's own.
    QString m_path;
    int m_fd = -1;
    qint64 m_size = 0; // of the file, as this log has written it
    logLine::LineBuffer m_lines;
    logLine::LineStart m_lineStart;
    logLine::LineRests m_lineRests;
    std::vector<Batch> m_taken;
    bool m_failureSaid = false;
    QStringList m_newFailures;

    // Shared with the log's thread.
    std::mutex m_mutex;
    std::condition_variable m_work;
    std::condition_variable m_written;
    std::vector<Batch> m_batches;
    quint64 m_handed = 0; // batches
    quint64 m_done = 0; // batches written
    size_t m_waiting = 0; // events handed over, not written
    bool m_idle = false;
    bool m_stopping = false;
    QStringList m_failures;
    std::vector<Batch> m_spare;

    // The log's own: what waits to be handed over.
    Batch m_filling;

    std::thread m_thread;
};

} // namespace sfp
