// The yardstick of the start-up benchmark: a bare Qt program that shows one
// empty widget, and nothing else.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("sfp bare window"));
    window.resize(320, 240);
    window.show();
    return app.exec();
}
