// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The relay card's soft front panel: shows the splash while the panel
// window connects to the card, then runs the panel until it is closed.
#include "cardheader.h"
#include "cardsession.h"
#include "commandline.h"
#include "endpoint.h"
#include "fixture.h"
#include "libraryrevision.h"
#include "logtools.h"
#include "networkannouncer.h"
#include "platformlibraries.h"
#include "qx2010fp_app.h"
#include "qx2010fp_splashlabel.h"
#include "qx5170_fc.h"
#include "qx5170fp_app.h"
#include "relaywear.h"
#include "remotecontrol.h"
#include "savedstates.h"
#include "switchinglog.h"
#include "terminationsignals.h"
#include "userfolders.h"

#include <QApplication>
#include <QByteArray>
#include <QList>
#include <QMessageBox>
#include <QPixmap>
#include <QProcessEnvironment>
#include <QSplashScreen>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// What VISA says of itself: its maker and the revision of its
// implementation (major, minor and sub-minor number, as VISA packs them).
QString visaRevision()
{
    const sfp::PlatformFunctions &platform = sfp::libraries();
    ViSession rm = VI_NULL;
    if (platform.viOpenDefaultRM(&rm) < VI_SUCCESS)
        return QStringLiteral("unknown");
    ViChar maker[256] = {};
    ViUInt32 version = 0;
    const bool named = platform.viGetAttribute(rm, VI_ATTR_RSRC_MANF_NAME, maker) >= VI_SUCCESS;
    const bool numbered
        = platform.viGetAttribute(rm, VI_ATTR_RSRC_IMPL_VERSION, &version) >= VI_SUCCESS;
    platform.viClose(rm);
    maker[sizeof maker - 1] = '\0';
    QStringList parts;
    if (named)
        parts.append(QString::fromLatin1(maker));
    if (numbered)
        parts.append(QStringLiteral("%1.%2.%3")
                         .arg(version >> 20)
                         .arg((version >> 8) & 0xFFFU)
                         .arg(version & 0xFFU));
    return parts.isEmpty() ? QStringLiteral("unknown") : parts.join(QLatin1Char(' '));
}

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
                   visaRevision(), platform, libraries.visaPath, libraries.commonPath,
                   libraries.driverPath)
              .toUtf8();
    return std::fputs(text.constData(), stdout) < 0 ? errno : 0;
}

int printHelp()
{
    const QByteArray text = qx5170fpHelpText().toUtf8();
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
        std::fprintf(stderr, "qx5170fp: cannot write to standard output: %s\n",
                     std::strerror(reason));
    else
        std::fputs("qx5170fp: cannot write to standard output\n", stderr);
    return qx5170fpFailureExitStatus;
}

// Reads the fixture at path into `fixture`, printing its warnings. False,
// with one line printed and the reason in `fault`, when it cannot be used;
// a file that is not there is no fixture (`found` stays false), unless the
// user named it.
bool readFixture(const QString &path, bool named, sfp::Fixture *fixture, bool *found,
                 QString *fault)
{
    bool absent = false;
    const sfp::fixture::Reading reading = sfp::fixture::read(path, &absent);
    if (absent && !named)
        return true;
    const QString error = absent ? QStringLiteral("there is no such file") : reading.error;
    if (!error.isEmpty()) {
        *fault = QStringLiteral("The fixture %1 cannot be used: %2").arg(path, error);
        std::fprintf(stderr, "qx5170fp: the fixture %s cannot be used: %s\n", qUtf8Printable(path),
                     qUtf8Printable(error));
        return false;
    }
    for (const QString &warning : reading.warnings)
        std::fprintf(stderr, "qx5170fp: the fixture %s: %s\n", qUtf8Printable(path),
                     qUtf8Printable(warning));
    *fixture = reading.fixture;
    *found = true;
    return true;
}

// A fixture that cannot be used ends the program. An operator who started
// the panel from a menu has no terminal to read the line on: where the
// screen is seen, a box says it too, above the splash, which stays on top
// of everything else.
void showFixtureFault(const QString &fault, QSplashScreen *splash)
{
    if (!qx5170fpShowsBoxes(QGuiApplication::platformName()))
        return;
    if (splash != nullptr)
        splash->hide();
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Orbelan 5170 SFP"), fault,
                    QMessageBox::Ok);
    box.setInformativeText(QStringLiteral("The panel ends. Mend or remove the file, then start "
                                          "the panel again."));
    box.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    // Read before anything starts, so that help, the version and a wrong
    // command line need neither a display nor the card.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const qx5170fpCommandLine commandLine = qx5170fpParseCommandLine(arguments);
    switch (commandLine.action) {
    case qx5170fpCommandLine::Help:
        return closeStandardOutput(printHelp());
    case qx5170fpCommandLine::Error:
        std::fprintf(stderr, "qx5170fp: %s\n%s\n", qUtf8Printable(commandLine.error),
                     qx5170fpTryHelp);
        return qx5170fpUsageExitStatus;
    case qx5170fpCommandLine::LogToScpi:
        return qx5170fpLogToScpi(commandLine);
    case qx5170fpCommandLine::LogToVcd:
        return qx5170fpLogToVcd(commandLine);
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
        std::fprintf(stderr, "qx5170fp: %s\n", qUtf8Printable(warning));
    const sfp::platform::Loaded libraries = sfp::platform::load(search);
    if (!libraries.ok) {
        std::fprintf(stderr, "qx5170fp: %s\n", qUtf8Printable(libraries.error));
        return qx5170fpFailureExitStatus;
    }
    if (!libraries.fallback.isEmpty())
        std::fprintf(stderr, "qx5170fp: %s\n", qUtf8Printable(libraries.fallback));

    if (commandLine.action == qx5170fpCommandLine::Version)
        return closeStandardOutput(printVersion());

    // A fixture named on the command line is read before anything is
    // shown: a file with a fault ends the program at once, after a box
    // where one can be seen (the toolkit is started for it).
    sfp::Fixture fixture;
    bool fixtureFound = false;
    QString fixtureFault;
    const bool fixtureNamed = !commandLine.fixture.isEmpty();
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const bool lacksDisplay = qx5170fpLacksDisplay(commandLine, environment);
    if (fixtureNamed
        && !readFixture(commandLine.fixture, true, &fixture, &fixtureFound, &fixtureFault)
        && (lacksDisplay || !qx5170fpShowsBoxes(commandLine, environment)))
        return qx5170fpFixtureExitStatus;

    // Without a display the toolkit would print its own four lines and
    // abort; one line of ours says what to do instead.
    if (lacksDisplay) {
        std::fprintf(stderr, "qx5170fp: %s\n", qx5170fpNoDisplayError);
        return qx5170fpFailureExitStatus;
    }

    // The toolkit gets its options in the form it reads (-platform NAME
    // also for --platform=NAME). The words are read once more as Latin-1,
    // which maps every byte to one character and back, so that a value
    // (a file name, say) reaches the toolkit byte for byte as given.
    QStringList bytewiseArguments;
    for (int i = 0; i < argc; ++i)
        bytewiseArguments.append(QString::fromLatin1(argv[i]));
    QList<QByteArray> toolkitWords;
    for (const QString &word : qx5170fpToolkitArguments(bytewiseArguments))
        toolkitWords.append(word.toLatin1());
    // Both outlive the application, which keeps and edits the array.
    std::vector<char *> toolkitArgv;
    for (QByteArray &word : toolkitWords)
        toolkitArgv.push_back(word.data());
    toolkitArgv.push_back(nullptr);
    int toolkitArgc = int(toolkitWords.size());

    // Destroyed in reverse order at the end: the window (which closes the
    // driver session), then the function card, then the application.
    QApplication app(toolkitArgc, toolkitArgv.data());
    QGuiApplication::setDesktopFileName(QStringLiteral("example.orbelan.qx5170fp"));
    if (!fixtureFault.isEmpty()) {
        showFixtureFault(fixtureFault, nullptr);
        return qx5170fpFixtureExitStatus;
    }
    qx5170_fc fc;

    // The remote control's port is taken before anything is connected: a
    // port that cannot be had ends the program while nothing depends on it.
    std::unique_ptr<sfp::RemoteControl> remote;
    if (commandLine.listen) {
        // Its identity and the folder of its saved states are the card's:
        // set once the panel knows which card it drives.
        remote = std::make_unique<sfp::RemoteControl>(QByteArray(), QString());
        sfp::ScpiServer::ClientTimeouts timeouts;
        timeouts.idle = std::chrono::seconds(commandLine.idleTimeoutSeconds);
        remote->setClientTimeouts(timeouts);
        if (!remote->listen(commandLine.listenAddress, commandLine.listenPort)) {
            std::fprintf(stderr, "qx5170fp: the remote control cannot listen on %s: %s\n",
                         qUtf8Printable(
                             sfp::endpointText(commandLine.listenAddress, commandLine.listenPort)),
                         qUtf8Printable(remote->errorString()));
            return qx5170fpFailureExitStatus;
        }
        if (!commandLine.listenAddress.isLoopback())
            std::fprintf(stderr, "qx5170fp: %s\n",
                         qUtf8Printable(qx5170fpListenWarning(commandLine.listenAddress,
                                                              commandLine.listenPort)));
        // VXI-11 is a second way in; the socket serves without it.
        if (!remote->listenVxi11())
            std::fprintf(stderr, "qx5170fp: the VXI-11 channels cannot listen: %s\n",
                         qUtf8Printable(remote->vxi11ErrorString()));
    }
    // Ended by a signal, the panel still withdraws what it announced.
    std::unique_ptr<sfp::TerminationSignals> terminationSignals;
    if (remote)
        terminationSignals = std::make_unique<sfp::TerminationSignals>();

    QString title = fc.description();
    title.replace(QStringLiteral(" FC"), QStringLiteral(" Function Card"));
    const QString notice = fc.legalNotice();
    // The composed picture is a temporary: once the splash screen holds its
    // copy, closing the splash frees the picture.
    auto splash = std::make_unique<QSplashScreen>(
        QPixmap(qx2010fp_splashLabel(1.0f, 20, fc.modelCode, true, notice, title)));
    splash->show();

    // Outlive the window, whose card counts and records into them to the
    // end.
    sfp::RelayWear wear;
    sfp::SwitchingLog log;
    // The card's own fixture, where the address names the card as VISA
    // does, is looked at before the open resets the card: a file that
    // cannot be used ends the program while the card is still as it was.
    if (!fixtureNamed) {
        fc.setBeforeOpen([splashScreen = splash.get()](const QString &descriptor, int fcNumber) {
            const QString path = sfp::fixture::fileName(sfp::fixture::defaultFolder(),
                                                        sfp::cardId(descriptor, fcNumber));
            bool absent = false;
            const sfp::fixture::Reading reading = sfp::fixture::read(path, &absent);
            if (absent || reading.error.isEmpty())
                return;
            std::fprintf(stderr, "qx5170fp: the fixture %s cannot be used: %s\n",
                         qUtf8Printable(path), qUtf8Printable(reading.error));
            const QString fault
                = QStringLiteral("The fixture %1 cannot be used: %2").arg(path, reading.error);
            showFixtureFault(fault, splashScreen);
            // Nothing is open yet that the process's end would not release.
            std::fflush(nullptr);
            std::_Exit(qx5170fpFixtureExitStatus);
        });
    }
    // Connects to the card while the splash stays on screen, or ends the
    // process when the operator cancels.
    qx5170fp_App window(&fc, commandLine.start);
    fc.setBeforeOpen({});
    if (commandLine.breakBeforeMake)
        window.card()->setClickOrder(sfp::SwitchOrder::BreakBeforeMake);
    // Otherwise the card's own fixture, once the panel knows which card it
    // drives; labels the operator or a script gives go there too.
    const QString fixturePath = fixtureNamed
        ? commandLine.fixture
        : sfp::fixture::fileName(sfp::fixture::defaultFolder(), window.cardId());
    if (!fixtureNamed && !readFixture(fixturePath, false, &fixture, &fixtureFound, &fixtureFault)) {
        showFixtureFault(fixtureFault, splash.get());
        return qx5170fpFixtureExitStatus;
    }
    window.card()->setFixture(fixture, fixturePath, fixtureFound);
    // Relays wear out on a card, not in demo mode.
    if (!window.card()->isDemo()) {
        const QString why
            = wear.open(sfp::RelayWear::fileName(sfp::RelayWear::defaultFolder(), window.cardId()));
        if (why.isEmpty()) {
            window.card()->setWear(&wear);
        } else {
            std::fprintf(stderr, "qx5170fp: relay cycles are not counted: %s\n",
                         qUtf8Printable(why));
            window.showNotice(QStringLiteral("Relay cycles are not counted: ") + why);
        }
        QObject::connect(&wear, &sfp::RelayWear::writeFailed, &app, [](const QString &text) {
            std::fprintf(stderr, "qx5170fp: relay cycles are not kept: %s\n", qUtf8Printable(text));
        });
        // Said in the window too while there is one; a write at the end,
        // after the window, has only standard error.
        QObject::connect(
            &wear, &sfp::RelayWear::writeFailed, &window, [&window](const QString &text) {
                window.showNotice(QStringLiteral("Relay cycles are not kept: ") + text);
            });
    }
    // Every change of the card, whoever makes it, in the card's own log.
    if (!commandLine.noLog) {
        log.setPath(sfp::SwitchingLog::fileName(sfp::RelayWear::defaultFolder(), window.cardId()));
        QObject::connect(&log, &sfp::SwitchingLog::writeFailed, &app, [](const QString &text) {
            std::fprintf(stderr, "qx5170fp: the switching log is not kept: %s\n",
                         qUtf8Printable(text));
        });
        window.setSwitchingLog(&log);
    }
    window.adjustSize();
    centerOnDesktop(&window);
    window.show();
    splash->finish(&window);
    splash.reset();

    std::unique_ptr<sfp::NetworkAnnouncer> announcer;
    if (remote) {
        window.followRemote(remote.get());
        // A client learns which card answers, and a state saved for one
        // card is never brought back on another.
        const QString cardId = window.cardId();
        remote->setIdentity(sfp::RemoteControl::identity(cardId, fc.driverRevision()));
        remote->setStateFolder(
            sfp::userFolders::cardFolder(sfp::savedStates::defaultFolder(), cardId));
        remote->start(window.card());
        // The announcement names VXI-11 only once the port mapper does: it
        // follows the registration, which may take a while.
        const auto announce = [&, cardId](bool vxi11) {
            // Found on the network as LAN instruments are; a panel that only
            // the loopback reaches has nobody to tell.
            if (commandLine.listenAddress.isLoopback())
                return;
            announcer = std::make_unique<sfp::NetworkAnnouncer>();
            QList<sfp::NetworkAnnouncer::Service> services {{"_scpi-raw._tcp", remote->port()}};
            // VXI-11 clients ask the port mapper, on its own port.
            if (vxi11)
                services += {{"_vxi-11._tcp", 111}, {"_lxi._tcp", 111}};
            const QString why = announcer->announce(
                sfp::NetworkAnnouncer::instrumentName(cardId), remote->address(), services,
                {"Manufacturer=Orbelan", "Model=5170", "SerialNumber=" + cardId.toUtf8(),
                 "FirmwareVersion=" + fc.driverRevision().toUtf8()},
                [](const QString &text) {
                    std::fprintf(stderr, "qx5170fp: %s\n", qUtf8Printable(text));
                });
            if (!why.isEmpty())
                std::fprintf(stderr, "qx5170fp: the panel is not announced on the network: %s\n",
                             qUtf8Printable(why));
        };
        if (remote->vxi11Port() == 0) {
            announce(false);
        } else {
            QObject::connect(remote.get(), &sfp::RemoteControl::vxi11Registered, &app,
                             [&, announce](const QString &why) {
                                 if (!why.isEmpty())
                                     std::fprintf(stderr,
                                                  "qx5170fp: VXI-11 clients do not find the "
                                                  "panel through the port mapper: %s; the core "
                                                  "channel listens on port %u\n",
                                                  qUtf8Printable(why),
                                                  unsigned(remote->vxi11Port()));
                                 announce(why.isEmpty());
                             });
            remote->registerVxi11();
        }
    }

    // However the event loop ended, the panel ends with status 0.
    QApplication::exec();
    // The announcement and the remote control go before the card they
    // drive.
    announcer.reset();
    remote.reset();
    return 0;
}
