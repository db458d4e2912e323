// The relay card's soft front panel: shows the splash while the panel
// window connects to the card, then runs the panel until it is closed.
#include "commandline.h"
#include "libraryrevision.h"
#include "qx2010fp_app.h"
#include "qx2010fp_splashlabel.h"
#include "qx5170_fc.h"
#include "qx5170fp_app.h"

#include <QApplication>
#include <QPixmap>
#include <QSplashScreen>

#include <cstdio>
#include <memory>

namespace {

// The revisions as the About box shows them, for --version.
void printVersion()
{
    const qx5170_fc fc;
    std::printf("qx5170fp %s\nInstrument Driver: %s\nOrbelan Common Library: %s\n",
                qUtf8Printable(fc.version()), qUtf8Printable(fc.driverRevision()),
                sfpLibraryRevision().constData());
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
        std::fputs(qUtf8Printable(qx5170fpHelpText()), stdout);
        return 0;
    case qx5170fpCommandLine::Version:
        printVersion();
        return 0;
    case qx5170fpCommandLine::Error:
        std::fprintf(stderr, "qx5170fp: %s\n%s\n", qUtf8Printable(commandLine.error),
                     qx5170fpTryHelp);
        return qx5170fpUsageExitStatus;
    case qx5170fpCommandLine::Run:
        break;
    }

    // Destroyed in reverse order at the end: the window (which closes the
    // driver session), then the function card, then the application.
    QApplication app(argc, argv);
    qx5170_fc fc;

    QString title = fc.description();
    title.replace(QStringLiteral(" FC"), QStringLiteral(" Function Card"));
    const QString notice = fc.legalNotice();
    // The composed picture is a temporary: once the splash screen holds its
    // copy, closing the splash frees the picture.
    auto splash = std::make_unique<QSplashScreen>(
        QPixmap(qx2010fp_splashLabel(1.0f, 20, fc.modelCode, true, notice, title)));
    splash->show();

    // Connects to the card while the splash stays on screen, or ends the
    // process when the operator cancels.
    qx5170fp_App window(&fc, commandLine.start);
    window.adjustSize();
    centerOnDesktop(&window);
    window.show();
    splash->finish(&window);
    splash.reset();

    // However the event loop ended, the panel ends with status 0.
    QApplication::exec();
    return 0;
}
