// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Test support that needs nothing but Qt Core: the simulated platform and
// the simulator's trace, for tests of the core without widgets as much as
// for the widget tests (sfptest.h includes this header).
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <QTest>

namespace sfptest {

// Loads the stand-ins of the build as the platform libraries, the way
// the program's --simulate does; ends the process with a message when they
// cannot be loaded. SFPTEST_MAIN and the child processes call it first.
void useSimulatedPlatform();

// The simulator's trace lines since it was last cleared, optionally only
// those that begin with one of `prefixes` (e.g. "qx5170_", "card ").
QStringList trace(const QStringList &prefixes = {});

// Fills the next 256 KiB of the stack below the caller with the byte 0xA5,
// so that a buffer the code under test forgets to clear holds that pattern
// rather than zeros left by chance. Call it right before the call whose
// locals should find the pattern.
void dirtyStack();
void clearTrace();

// Trace lines of a trace file written through SFP_SIM_TRACE (for instance
// by a child process), filtered like trace().
QStringList traceFile(const QString &path, const QStringList &prefixes = {});

// Interleaves the simulator's trace with events the test observes, such as
// a widget's signals: mark() first takes the trace lines written since the
// previous mark (or since construction), then appends the event itself.
class TraceLog final
{
public:
    explicit TraceLog(const QStringList &prefixes = {});

    void mark(const QString &event);
    // Everything recorded so far, including the trace lines since the last mark.
    QStringList events();

private:
    void takeNewLines();

    QStringList m_prefixes;
    qsizetype m_seen = 0;
    QStringList m_events;
};

// Sets or clears one variable for the length of a scope.
class EnvironmentChange
{
public:
    EnvironmentChange(const char *name, const QByteArray &value, bool set = true)
        : m_name(name)
        , m_had(qEnvironmentVariableIsSet(name))
        , m_old(qgetenv(name))
    {
        if (set)
            qputenv(name, value);
        else
            qunsetenv(name);
    }
    ~EnvironmentChange()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    EnvironmentChange(const EnvironmentChange &) = delete;
    EnvironmentChange &operator=(const EnvironmentChange &) = delete;
    EnvironmentChange(EnvironmentChange &&) = delete;
    EnvironmentChange &operator=(EnvironmentChange &&) = delete;

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

// A file's bytes; "<unreadable>" when it cannot be opened.
inline QByteArray fileContents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArrayLiteral("<unreadable>");
}

// Writes `bytes` as the whole of the file at path, its folder made first.
inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).absolutePath())
        && file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}

// A self-signed certificate for localhost and its key, made by openssl in
// `folder` as NAME.pem and NAME.key (mode 0600); false when it cannot be.
inline bool makeCertificate(const QString &folder, const QString &name)
{
    QProcess openssl;
    openssl.setWorkingDirectory(folder);
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                   QStringLiteral("ec_paramgen_curve:P-256"), QStringLiteral("-nodes"),
                   QStringLiteral("-days"), QStringLiteral("1"), QStringLiteral("-subj"),
                   QStringLiteral("/CN=localhost"), QStringLiteral("-keyout"),
                   name + QStringLiteral(".key"), QStringLiteral("-out"),
                   name + QStringLiteral(".pem")});
    return openssl.waitForFinished(60000) && openssl.exitStatus() == QProcess::NormalExit
        && openssl.exitCode() == 0
        && QFile::setPermissions(folder + QLatin1Char('/') + name + QStringLiteral(".key"),
                                 QFile::ReadOwner | QFile::WriteOwner);
}

// The seed of a test that draws its cases at random: SFP_TEST_SEED when
// set, else a fresh one. Printed, so that a run that failed can be replayed.
inline quint32 testSeed()
{
    bool given = false;
    quint32 seed = qEnvironmentVariable("SFP_TEST_SEED").toUInt(&given);
    if (!given)
        seed = QRandomGenerator::global()->generate();
    qInfo("seed %u (SFP_TEST_SEED replays it)", seed);
    return seed;
}

} // namespace sfptest

// QTEST_GUILESS_MAIN for the core's tests: the stand-ins loaded as the
// platform libraries, then an application without a display.
#define SFPTEST_CORE_MAIN(TestObject) \
    int main(int argc, char *argv[]) \
    { \
        sfptest::useSimulatedPlatform(); \
        QCoreApplication app(argc, argv); \
        TestObject tc; \
        QTEST_SET_MAIN_SOURCE_PATH \
        return QTest::qExec(&tc, argc, argv); \
    }
