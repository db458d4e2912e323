// The relay card's soft front panel: shows the splash while the panel
// window connects to the card, then runs the panel until it is closed.
#include "qx2010fp_app.h"
#include "qx2010fp_splashlabel.h"
#include "qx5170_fc.h"
#include "qx5170fp_app.h"

#include <QApplication>
#include <QPixmap>
#include <QSplashScreen>

#include <memory>

int main(int argc, char *argv[])
{
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
    qx5170fp_App window(&fc);
    window.adjustSize();
    centerOnDesktop(&window);
    window.show();
    splash->finish(&window);
    splash.reset();

    // However the event loop ended, the panel ends with status 0.
    app.exec();
    return 0;
}
