#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Orbelan 5170 Soft Front Panel"));
    label.show();
    return app.exec();
}
