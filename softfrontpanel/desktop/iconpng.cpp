// Writes the panel icon, kept as XPM for the program to compile in, as the
// PNG that desktop menus read: sfp_iconpng <icon.xpm> <icon.png>
#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fputs("usage: sfp_iconpng <icon.xpm> <icon.png>\n", stderr);
        return 2;
    }
    const QImage icon(QString::fromLocal8Bit(argv[1]), "XPM");
    if (icon.isNull() || !icon.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "sfp_iconpng: cannot turn %s into %s\n", argv[1], argv[2]);
        return 1;
    }
    return 0;
}
