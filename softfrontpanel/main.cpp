// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The relay card's soft front panel: shows the splash while the panel
// window connects to the card, then runs the panel until it is closed.
#include "commandline.h"
#include "coveragecounts.h"
#include "libraryrevision.h"
#include "logtools.h"
#include "panelrun.h"
#include "platformlibraries.h"
#include "qx5170_fc.h"
#include "setpassword.h"
#include "translation.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QProcessEnvironment>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace {

// The revisions as the About box shows them, then VISA's, and where each
// library was loaded from, for --version. Returns 0, or the error number of
// a failed write.
int printVersion()
{
    const qx5170_fc fc;
    const sfp::platform::Loaded &libraries = sfp::platform::loaded();
    const QString platform = libraries.simulated
        ? QStringLiteral("simulated platform")
        : QStringLiteral("vendor libraries (%1)").arg(libraries.origin);
    const QByteArray text
        = QStringLiteral("qx5170fp %1\nInstrument Driver: %2\n"
                         "Orbelan Common Library: %3\nVISA: %4\n"
                         "Libraries: %5\n  %6\n  %7\n  %8\n")
              .arg(fc.version(), fc.driverRevision(), QString::fromUtf8(sfp::libraryRevision()),
                   sfp::visaRevision(), platform, libraries.visaPath, libraries.commonPath,
                   libraries.driverPath)
              .toUtf8();
    return std::fputs(text.constData(), stdout) < 0 ? errno : 0;
}

int printHelp(const QString &help)
{
    const QByteArray text = help.toUtf8();
    return std::fputs(text.constData(), stdout) < 0 ? errno : 0;
}

// Help and the version are all that the program does then, so output that
// never arrived (a full disk, a closed descriptor) must not end as success.
// As GNU tools do, standard output is closed and checked before the status
// is chosen: the buffered text is written only then. `writeError` is the
// error number of a write that already failed, else 0.
int closeStandardOutput(int writeError)
{
    const bool failedBefore = writeError != 0 || std::ferror(stdout) != 0;
    const bool closeFailed = std::fclose(stdout) != 0;
    if (!failedBefore && !closeFailed)
        return 0;
    const int reason = writeError != 0 ? writeError : closeFailed ? errno : 0;
    if (reason != 0)
        //: %1 is the system's reason ("No space left on device").
        qx5170fpSay(sfp::translate("CommandLine", "cannot write to standard output: %1")
                        .arg(QString::fromLocal8Bit(std::strerror(reason))));
    else
        qx5170fpSay(sfp::translate("CommandLine", "cannot write to standard output"));
    return qx5170fpFailureExitStatus;
}

// The headless server, which this process becomes: beside the program in
// the build's folder, else in the package's libexec folder. The process
// keeps its id (what a service manager watches) and its command line; none
// of the toolkit's graphical modules stays loaded. Returns only when it
// could not be run, with the exit status.
int becomeHeadless(char *argv[])
{
    const QString folder = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    QString why;
    sfp::writeCoverageCounts();
    for (const QString &path : {folder + QStringLiteral("/qx5170fp-headless"),
                                folder + QStringLiteral("/" SFP_HEADLESS_FROM_BIN)}) {
        const QByteArray file = QFile::encodeName(path);
        ::execv(file.constData(), argv);
        if (why.isEmpty() || errno != ENOENT)
            why = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    }
    //: %1 is the server's file and why it cannot be run.
    qx5170fpSay(sfp::translate("CommandLine", "the headless server cannot be run: %1").arg(why));
    return qx5170fpFailureExitStatus;
}

// What the program does without a panel: help, a wrong command line, the
// log's tools, the version; and what ends it before the toolkit starts.
// The exit status then, else nothing.
std::optional<int> runWithoutPanel(const qx5170fpCommandLine &commandLine)
{
    switch (commandLine.action) {
    case qx5170fpCommandLine::Help:
        return closeStandardOutput(printHelp(commandLine.help));
    case qx5170fpCommandLine::Error:
        std::fprintf(stderr, "qx5170fp: %s\n%s\n", qUtf8Printable(commandLine.error),
                     qUtf8Printable(sfp::translate("CommandLine", qx5170fpTryHelp)));
        return qx5170fpUsageExitStatus;
    case qx5170fpCommandLine::LogToScpi:
        return qx5170fpLogToScpi(commandLine);
    case qx5170fpCommandLine::LogToVcd:
        return qx5170fpLogToVcd(commandLine);
    case qx5170fpCommandLine::SetPassword:
        return qx5170fpSetPassword(commandLine);
    case qx5170fpCommandLine::Version:
    case qx5170fpCommandLine::Run:
        break;
    }
    // The vendor's libraries where they are found, else the simulated
    // platform; a place the user named that gives no usable set ends the
    // program before anything is shown.
    const sfp::platform::Search search
        = sfp::platform::programSearch(commandLine.libraryPath, commandLine.simulate);
    for (const QString &warning : search.warnings)
        qx5170fpSay(warning);
    const sfp::platform::Loaded libraries = sfp::platform::load(search);
    if (!libraries.ok) {
        qx5170fpSay(libraries.error);
        return qx5170fpFailureExitStatus;
    }
    if (!libraries.fallback.isEmpty())
        qx5170fpSay(libraries.fallback);
    if (commandLine.action == qx5170fpCommandLine::Version)
        return closeStandardOutput(printVersion());
    return std::nullopt;
}

// The toolkit's options as the array it keeps and edits.
class ToolkitArguments
{
public:
    explicit ToolkitArguments(QList<QByteArray> words)
        : m_words(std::move(words))
    {
        for (QByteArray &word : m_words)
            m_argv.push_back(word.data());
        m_argv.push_back(nullptr);
        m_argc = int(m_words.size());
    }
    int &argc() { return m_argc; }
    char **argv() { return m_argv.data(); }

private:
    QList<QByteArray> m_words;
    std::vector<char *> m_argv;
    int m_argc = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    // Read before anything starts, so that help, the version and a wrong
    // command line need neither a display nor the card.
    QList<QByteArray> words;
    for (int i = 0; i < argc; ++i)
        words.append(argv[i]);
    const qx5170fpCommandLine commandLine = qx5170fpParseCommandLine(words);
    if (commandLine.action == qx5170fpCommandLine::Run && commandLine.headless)
        return becomeHeadless(argv);
    if (const std::optional<int> status = runWithoutPanel(commandLine))
        return *status;

    // A fixture named on the command line is read before anything is
    // shown: a file with a fault ends the program at once, after a box
    // where one can be seen (the toolkit is started for it).
    sfp::Fixture fixture;
    bool fixtureFound = false;
    QString fixtureFault;
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const bool lacksDisplay = qx5170fpLacksDisplay(commandLine, environment);
    if (!commandLine.fixture.isEmpty()
        && !sfp::PanelRun::readFixture(commandLine.fixture, true, &fixture, &fixtureFound,
                                       &fixtureFault)
        && (lacksDisplay || !qx5170fpShowsBoxes(commandLine, environment)))
        return qx5170fpFixtureExitStatus;
    // Without a display the toolkit would print its own four lines and
    // abort; one line of ours says what to do instead.
    if (lacksDisplay) {
        qx5170fpSay(sfp::translate("CommandLine", qx5170fpNoDisplayError));
        return qx5170fpFailureExitStatus;
    }

    // Outlives the application.
    ToolkitArguments toolkit(commandLine.toolkitArguments);
    QApplication app(toolkit.argc(), toolkit.argv());
    sfp::translation::install();
    QGuiApplication::setDesktopFileName(QStringLiteral("example.orbelan.qx5170fp"));
    sfp::PanelRun run(commandLine, fixture, fixtureFound, fixtureFault);
    return run.exec();
}
