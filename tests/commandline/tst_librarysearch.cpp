// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Where the real program takes its platform libraries from: the place the
// user named (the option, the variable, the configuration file), which
// holds them or ends the program with one line; the dynamic linker's
// folders, searched past every candidate that cannot be used; and the
// simulated platform last, said on standard error.
#include "programrun.h"
#include "sfptest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using sfptest::writeFile;

namespace {

// The end of --version on the stand-ins.
QString simulatedLibraries()
{
    return QStringLiteral("Libraries: simulated platform\n  %1/libvisa64.so\n"
                          "  %1/libqx2010_64.so\n  %1/libqx5170_64.so\n")
        .arg(SFP_STAND_IN_DIR);
}

// The line that says the stand-ins are used, up to the linker's reasons.
QString fallback()
{
    return QStringLiteral("qx5170fp: no vendor libraries found, so the simulated platform is "
                          "used; searched the dynamic linker: ");
}

const char *const nothingOnLinkerPath = "no libvisa.so, libvisa.so.0, libiovisa.so or librsvisa.so";

bool patchByte(const QString &path, qint64 offset, char byte)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.seek(offset) && file.putChar(byte);
}

// The library at `path` now needs `dependency` too.
bool addDependency(const QString &path, const QString &dependency)
{
    return QProcess::execute(QStringLiteral("patchelf"), {"--add-needed", dependency, path}) == 0;
}

// As root, the program runs as nobody for a row that needs permissions to
// count; the folder must then be open to that user. A coverage build's
// counters go where that user may write.
RunPlace unprivileged(const QTemporaryDir &folder)
{
    if (::geteuid() != 0)
        return {};
    const QString counters = folder.filePath("counters");
    QDir().mkpath(counters);
    ::chmod(QFile::encodeName(counters).constData(), 0777);
    ::chmod(QFile::encodeName(folder.path()).constData(), 0755);
    return {QString(),
            {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--", "env",
             "GCOV_PREFIX=" + counters}};
}

} // namespace

class tst_LibrarySearch final : public QObject
{
    Q_OBJECT

private slots:
    void platformLibraries_data();
    void platformLibraries();
    void badLibraries_data();
    void badLibraries();
    void namedPlaceFails_data();
    void namedPlaceFails();
    void linkerGoesOn_data();
    void linkerGoesOn();
    void configurationFiles_data();
    void configurationFiles();
};
void tst_LibrarySearch::platformLibraries_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("environment"); // with VENDOR and OTHER for the folders
    QTest::addColumn<QString>("config"); // qx5170fp.conf in XDG_CONFIG_HOME, "" for none
    QTest::addColumn<QString>("libraries"); // the end of --version
    QTest::addColumn<QString>("error"); // standard error
    QTest::addColumn<bool>("unneeded"); // the vendor's driver and common library do not name VISA

    const QString simulated = QStringLiteral("Libraries: simulated platform\n  %1/libvisa64.so\n"
                                             "  %1/libqx2010_64.so\n  %1/libqx5170_64.so\n")
                                  .arg(SFP_STAND_IN_DIR);
    const QString linkerSkipped
        = "the dynamic linker: no libvisa.so, libvisa.so.0, libiovisa.so or librsvisa.so";

    // Resolved against the VISA loaded before them, as real drivers
    // that do not name their VISA library expect.
    QTest::newRow("driver without its VISA named")
        << QStringList {"--library-path", "VENDOR"} << QStringList() << ""
        << librariesOf("VENDOR", "--library-path") << "" << true;
    QTest::newRow("option") << QStringList {"--library-path", "VENDOR"} << QStringList() << ""
                            << librariesOf("VENDOR", "--library-path") << "" << false;
    QTest::newRow("variable, second folder")
        << QStringList() << QStringList("QX5170FP_LIBRARY_PATH=OTHER/none:VENDOR") << ""
        << librariesOf("VENDOR", "QX5170FP_LIBRARY_PATH") << "" << false;
    QTest::newRow("configuration file") << QStringList() << QStringList() << "LibraryPath=VENDOR\n"
                                        << librariesOf("VENDOR", "CONFIG") << "" << false;
    QTest::newRow("the dynamic linker")
        << QStringList() << QStringList("LD_LIBRARY_PATH=VENDOR") << ""
        << librariesOf("VENDOR", "the dynamic linker") << "" << false;
    QTest::newRow("option before variable and file")
        << QStringList {"--library-path=VENDOR"} << QStringList("QX5170FP_LIBRARY_PATH=OTHER")
        << "LibraryPath=OTHER\n"
        << librariesOf("VENDOR", "--library-path") << "" << false;
    QTest::newRow("variable before file")
        << QStringList() << QStringList("QX5170FP_LIBRARY_PATH=VENDOR") << "LibraryPath=OTHER\n"
        << librariesOf("VENDOR", "QX5170FP_LIBRARY_PATH") << "" << false;
    QTest::newRow("--simulate over everything")
        << QStringList("--simulate") << QStringList("QX5170FP_LIBRARY_PATH=VENDOR")
        << "LibraryPath=VENDOR\n"
        << simulated << "" << false;
    QTest::newRow("nothing found: said in one line")
        << QStringList() << QStringList() << "" << simulated
        << "qx5170fp: no vendor libraries found, so the simulated platform is used; searched "
            + linkerSkipped + "\n"
        << false;
}

void tst_LibrarySearch::platformLibraries()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);
    QFETCH(QString, config);
    QFETCH(QString, libraries);
    QFETCH(QString, error);
    QFETCH(bool, unneeded);

    QTemporaryDir folder;
    const QString vendor = folder.filePath("vendor");
    const QString other = folder.filePath("other");
    QVERIFY(dressVendorFolder(vendor));
    for (const char *library : {"/libqx2010_64.so", "/libqx5170_64.so"}) {
        if (unneeded)
            QCOMPARE(QProcess::execute(
                         "patchelf",
                         {"--remove-needed", "libvisa64.so", vendor + QLatin1String(library)}),
                     0);
    }
    QVERIFY(QDir().mkpath(other));
    QVERIFY(QFile::copy(QStringLiteral(SFP_STAND_IN_DIR) + "/libvisa64.so", other + "/libvisa.so"));
    const QString configFile = folder.filePath("config/qx5170fp/qx5170fp.conf");
    const auto place = [&](QString text) {
        return text.replace("VENDOR", vendor).replace("OTHER", other).replace("CONFIG", configFile);
    };
    for (QString &argument : arguments)
        argument = place(argument);
    for (QString &variable : environment)
        variable = place(variable);
    environment.append("XDG_CONFIG_HOME=" + folder.filePath("config"));
    if (!config.isEmpty()) {
        QVERIFY(QDir().mkpath(QFileInfo(configFile).path()));
        QFile file(configFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(place(config).toUtf8());
    }

    const Run run
        = runProgram(arguments + QStringList("--version"), environment, {}, Libraries::Searched);
    // What the program printed, when it ended otherwise than expected.
    QVERIFY2(run.status == 0, run.err.constData());
    QVERIFY2(QString::fromUtf8(run.out).endsWith(place(libraries)), run.out.constData());
    QCOMPARE(QString::fromUtf8(run.err), place(error));
    // The revisions come from the libraries taken.
    QVERIFY(run.out.startsWith("qx5170fp 4.3.1.10249\nInstrument Driver: 1.4.0\n"));
}

void tst_LibrarySearch::badLibraries_data()
{
    QTest::addColumn<QString>("damage"); // what becomes of the dressed folder
    QTest::addColumn<QString>("error"); // the reason after the place, FOLDER for the folder
    QTest::addColumn<QString>("linker"); // why the linker's candidates were passed over

    QTest::newRow("not a library") << "text as VISA"
                                   << "FOLDER/libvisa.so: invalid ELF header"
                                   << "FOLDER/libvisa.so: invalid ELF header; no libvisa.so.0, "
                                      "libiovisa.so or librsvisa.so";
    QTest::newRow("another architecture's ELF class")
        << "32-bit VISA"
        << "FOLDER/libvisa.so: wrong ELF class: ELFCLASS32"
        << "libvisa.so: wrong ELF class: ELFCLASS32; no libvisa.so.0, libiovisa.so or "
           "librsvisa.so";
    // The linker looks past such a file, as if it were not there.
    QTest::newRow("another machine")
        << "ARM VISA"
        << "FOLDER/libvisa.so: cannot open shared object file: No such file or "
           "directory (a library this machine cannot load)"
        << "no libvisa.so, libvisa.so.0, libiovisa.so or librsvisa.so";
    QTest::newRow("a function missing")
        << "common library as driver"
        << "FOLDER/libqx5170_64.so: no function qx5170_init"
        << "FOLDER/libqx5170_64.so: no function qx5170_init; no libqx5170.so beside "
           "FOLDER/libvisa.so";
    QTest::newRow("a dependency missing")
        << "driver needing more"
        << "FOLDER/libqx5170_64.so needs libqx9999.so.1, which is not found"
        << "libqx5170_64.so needs libqx9999.so.1, which is not found; no libqx5170.so beside "
           "FOLDER/libvisa.so";
}

void tst_LibrarySearch::badLibraries()
{
    QFETCH(QString, damage);
    QFETCH(QString, error);
    QFETCH(QString, linker);

    QTemporaryDir folder;
    const QString vendor = folder.filePath("vendor");
    QVERIFY(dressVendorFolder(vendor));
    if (damage == "text as VISA") {
        QVERIFY(QFile::remove(vendor + "/libvisa.so"));
        QVERIFY(writeFile(vendor + "/libvisa.so",
                          QByteArray("not a library, only text\n").repeated(8)));
    } else if (damage == "32-bit VISA") {
        QVERIFY(patchByte(vendor + "/libvisa.so", 4, 1)); // EI_CLASS: ELFCLASS32
    } else if (damage == "ARM VISA") {
        QVERIFY(patchByte(vendor + "/libvisa.so", 18, char(183))); // e_machine: EM_AARCH64
    } else if (damage == "driver needing more") {
        QVERIFY(addDependency(vendor + "/libqx5170_64.so", "libqx9999.so.1"));
    } else {
        QVERIFY(QFile::remove(vendor + "/libqx5170_64.so"));
        QVERIFY(QFile::copy(vendor + "/libqx2010_64.so", vendor + "/libqx5170_64.so"));
    }

    // Named by the user: one line, status 1, nothing started.
    for (const QStringList &how :
         {QStringList {"--library-path", vendor}, QStringList("QX5170FP_LIBRARY_PATH=" + vendor)}) {
        const bool option = how.constFirst() == "--library-path";
        const Run run = runProgram(option ? how : QStringList(), option ? QStringList() : how, {},
                                   Libraries::Searched);
        QCOMPARE(run.status, 1);
        QCOMPARE(
            QString::fromUtf8(run.err),
            QStringLiteral("qx5170fp: %1 (%2): ").arg(vendor, how.constFirst().section('=', 0, 0))
                + QString(error).replace("FOLDER", vendor) + "\n");
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(run.trace, QByteArray());
    }

    // Found by the dynamic linker: passed over, named in the line that says
    // the simulated platform is used.
    const Run run
        = runProgram({"--version"}, {"LD_LIBRARY_PATH=" + vendor}, {}, Libraries::Searched);
    QCOMPARE(run.status, 0);
    QVERIFY(run.out.contains("Libraries: simulated platform\n"));
    QCOMPARE(QString::fromUtf8(run.err), fallback() + linker.replace("FOLDER", vendor) + "\n");
}

void tst_LibrarySearch::namedPlaceFails_data()
{
    QTest::addColumn<QString>("naming"); // an option, a variable or the file's line; PLACE
    QTest::addColumn<QString>("place"); // what PLACE is made
    QTest::addColumn<QString>("error"); // the whole line; FOLDER is the test's folder

    QTest::newRow("option: no such folder") << "--library-path PLACE"
                                            << "missing"
                                            << "FOLDER/place (--library-path): no such folder";
    QTest::newRow("option: a file") << "--library-path PLACE"
                                    << "file"
                                    << "FOLDER/place (--library-path): not a folder";
    QTest::newRow("option: a folder that may not be searched")
        << "--library-path PLACE"
        << "unsearchable"
        << "FOLDER/place (--library-path): cannot be searched (Permission denied)";
    QTest::newRow("variable: VISA only")
        << "QX5170FP_LIBRARY_PATH=PLACE"
        << "VISA only"
        << "FOLDER/place (QX5170FP_LIBRARY_PATH): no libqx2010_64.so or libqx2010.so beside "
           "FOLDER/place/libvisa.so";
    QTest::newRow("variable: each folder with its reason")
        << "QX5170FP_LIBRARY_PATH=FOLDER/typo::PLACE"
        << "VISA only"
        << "FOLDER/typo (QX5170FP_LIBRARY_PATH): no such folder; FOLDER/place "
           "(QX5170FP_LIBRARY_PATH): no libqx2010_64.so or libqx2010.so beside "
           "FOLDER/place/libvisa.so";
    QTest::newRow("variable: a link to nothing")
        << "QX5170FP_LIBRARY_PATH=PLACE"
        << "dangling link"
        << "FOLDER/place (QX5170FP_LIBRARY_PATH): FOLDER/place/libvisa.so: a link to "
           "FOLDER/place/gone.so, which is not there";
    QTest::newRow("file: VISA needs what is not there")
        << "LibraryPath=place"
        << "VISA needing more"
        << "FOLDER/config/qx5170fp/place (LibraryPath in "
           "FOLDER/config/qx5170fp/qx5170fp.conf): FOLDER/config/qx5170fp/place/libvisa.so "
           "needs libqx9999.so.1, which is not found";
}

void tst_LibrarySearch::namedPlaceFails()
{
    QFETCH(QString, naming);
    QFETCH(QString, place);
    QFETCH(QString, error);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const bool inConfig = naming.startsWith("LibraryPath=");
    const QString configFile = folder.filePath("config/qx5170fp/qx5170fp.conf");
    const QString path
        = inConfig ? folder.filePath("config/qx5170fp/place") : folder.filePath("place");
    RunPlace how;
    if (place == "file") {
        QVERIFY(writeFile(path, "not a folder\n"));
    } else if (place == "unsearchable") {
        QVERIFY(dressVendorFolder(path));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        how = unprivileged(folder);
    } else if (place == "VISA only") {
        QVERIFY(QDir().mkpath(path));
        QVERIFY(
            QFile::copy(QStringLiteral(SFP_STAND_IN_DIR) + "/libvisa64.so", path + "/libvisa.so"));
    } else if (place == "dangling link") {
        QVERIFY(QDir().mkpath(path));
        QVERIFY(QFile::link(path + "/gone.so", path + "/libvisa.so"));
    } else if (place == "VISA needing more") {
        QVERIFY(dressVendorFolder(path));
        QVERIFY(addDependency(path + "/libvisa.so", "libqx9999.so.1"));
    }
    // A complete set where the dynamic linker looks: never taken instead.
    const QString complete = folder.filePath("complete");
    QVERIFY(dressVendorFolder(complete));
    QStringList arguments;
    QStringList environment {"LD_LIBRARY_PATH=" + complete,
                             "XDG_CONFIG_HOME=" + folder.filePath("config")};
    naming.replace("PLACE", path).replace("FOLDER", folder.path());
    if (naming.startsWith("--"))
        arguments = naming.split(' ');
    else if (inConfig)
        QVERIFY(writeFile(configFile, naming.toUtf8() + "\n"));
    else
        environment.append(naming);

    const Run run = runProgram(arguments + QStringList("--version"), environment, {},
                               Libraries::Searched, how);
    QCOMPARE(QString::fromUtf8(run.err),
             "qx5170fp: " + QString(error).replace("FOLDER", folder.path()) + "\n");
    QCOMPARE(run.status, 1);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(run.trace, QByteArray());
}

void tst_LibrarySearch::linkerGoesOn_data()
{
    QTest::addColumn<QString>("first"); // what the linker's first folder holds
    QTest::addColumn<QString>("second"); // and its second
    QTest::addColumn<QString>("libraries"); // the end of --version; FIRST, SECOND
    QTest::addColumn<QString>("error"); // standard error

    const QString fromSecond = "Libraries: vendor libraries (the dynamic linker)\n"
                               "  SECOND/libvisa.so.0\n  SECOND/libqx2010_64.so\n"
                               "  SECOND/libqx5170_64.so\n";
    // A 32-bit VISA in the multilib folder, a 64-bit set after it.
    QTest::newRow("another class, then a complete set")
        << "32-bit libvisa.so"
        << "complete, libvisa.so.0" << fromSecond << "";
    QTest::newRow("a missing dependency, then a complete set")
        << "libvisa.so needing more"
        << "complete, libvisa.so.0" << fromSecond << "";
    QTest::newRow("a driver without a function, then one with all")
        << "complete, driver without a function"
        << "libqx5170.so"
        << "Libraries: vendor libraries (the dynamic linker)\n  FIRST/libvisa.so\n"
           "  FIRST/libqx2010_64.so\n  SECOND/libqx5170.so\n"
        << "";
    QTest::newRow("nothing usable: each candidate named")
        << "32-bit libvisa.so"
        << "libvisa.so.0 needing more" << simulatedLibraries()
        << fallback()
            + "libvisa.so: wrong ELF class: ELFCLASS32; libvisa.so.0 needs libqx9999.so.1, "
              "which is not found; no libiovisa.so or librsvisa.so\n";
}

void tst_LibrarySearch::linkerGoesOn()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, libraries);
    QFETCH(QString, error);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString standIns = QStringLiteral(SFP_STAND_IN_DIR);
    const QString firstFolder = folder.filePath("first");
    const QString secondFolder = folder.filePath("second");
    QVERIFY(QDir().mkpath(firstFolder));
    QVERIFY(QDir().mkpath(secondFolder));
    const auto make = [&](const QString &what, const QString &where) {
        if (what == "32-bit libvisa.so")
            return QFile::copy(standIns + "/libvisa64.so", where + "/libvisa.so")
                && patchByte(where + "/libvisa.so", 4, 1);
        if (what == "libvisa.so needing more" || what == "libvisa.so.0 needing more") {
            const QString visa = where + "/" + what.section(' ', 0, 0);
            return QFile::copy(standIns + "/libvisa64.so", visa)
                && addDependency(visa, "libqx9999.so.1");
        }
        if (what == "complete, libvisa.so.0")
            return QFile::copy(standIns + "/libvisa64.so", where + "/libvisa.so.0")
                && QFile::copy(standIns + "/libqx2010_64.so", where + "/libqx2010_64.so")
                && QFile::copy(standIns + "/libqx5170_64.so", where + "/libqx5170_64.so");
        if (what == "complete, driver without a function")
            return QDir(where).removeRecursively() && dressVendorFolder(where)
                && QFile::remove(where + "/libqx5170_64.so")
                && QFile::copy(standIns + "/libqx2010_64.so", where + "/libqx5170_64.so");
        return QFile::copy(standIns + "/libqx5170_64.so", where + "/" + what);
    };
    QVERIFY(make(first, firstFolder));
    QVERIFY(make(second, secondFolder));

    const Run run
        = runProgram({"--version"}, {"LD_LIBRARY_PATH=" + firstFolder + ":" + secondFolder}, {},
                     Libraries::Searched);
    QVERIFY2(run.status == 0, run.err.constData());
    const auto placed = [&](QString text) {
        return text.replace("FIRST", firstFolder).replace("SECOND", secondFolder);
    };
    QVERIFY2(QString::fromUtf8(run.out).endsWith(placed(libraries)), run.out.constData());
    QCOMPARE(QString::fromUtf8(run.err), placed(error));
}

void tst_LibrarySearch::configurationFiles_data()
{
    QTest::addColumn<QByteArray>("user"); // the user's file; "(FIFO)", "(unreadable)"
    QTest::addColumn<QStringList>("environment"); // FOLDER for the test's folder
    QTest::addColumn<QString>("taken"); // USER, SYSTEM (the two files' folders) or "simulated"
    QTest::addColumn<QString>("warning"); // after "qx5170fp: USERFILE is ignored: it "

    QTest::newRow("unreadable") << QByteArray("(unreadable)") << QStringList() << "SYSTEM"
                                << "cannot be read (Permission denied)";
    QTest::newRow("UTF-16") << QByteArray("\xff\xfeL\0i\0b\0r\0a\0r\0y\0P\0a\0t\0h\0=\0/\0\n\0", 30)
                            << QStringList() << "SYSTEM"
                            << "is not text (it holds NUL bytes, as UTF-16 text does)";
    QTest::newRow("not INI") << QByteArray("[Paths\nLibraryPath=user\n") << QStringList()
                             << "SYSTEM"
                             << "is not an INI file";
    QTest::newRow("larger than 64 KiB")
        << QByteArray("LibraryPath=user\n") + QByteArray(65536 - 16, ';') + "\n"
        << QStringList() << "SYSTEM"
        << "is larger than 64 KiB";
    QTest::newRow("64 KiB") << QByteArray("LibraryPath=user\n") + QByteArray(65536 - 18, ';') + "\n"
                            << QStringList() << "USER"
                            << "";
    QTest::newRow("the key in another case")
        << QByteArray("librarypath=user\n") << QStringList() << "SYSTEM"
        << "holds no LibraryPath key (only librarypath)";
    QTest::newRow("the key in a section")
        << QByteArray("[Paths]\nLibraryPath=user\n") << QStringList() << "SYSTEM"
        << "holds no LibraryPath key (only Paths/LibraryPath)";
    QTest::newRow("other keys only") << QByteArray("Colour=blue\n") << QStringList() << "SYSTEM"
                                     << "holds no LibraryPath key";
    QTest::newRow("comments only: as if absent")
        << QByteArray("# LibraryPath comes later\n") << QStringList() << "SYSTEM"
        << "";
    QTest::newRow("a FIFO") << QByteArray("(FIFO)") << QStringList() << "SYSTEM"
                            << "is not a regular file";
    // Relative to the file's folder, wherever the program is started.
    QTest::newRow("relative folder") << QByteArray("LibraryPath=user\n") << QStringList() << "USER"
                                     << "";
    QTest::newRow("the home folder") << QByteArray("LibraryPath=~/config/qx5170fp/user\n")
                                     << QStringList("HOME=FOLDER") << "USER"
                                     << "";
    QTest::newRow("a second folder")
        << QByteArray("LibraryPath=typo:user\n") << QStringList() << "USER"
        << "";
    // The user's empty key overrides the system's file.
    QTest::newRow("empty key") << QByteArray("LibraryPath=\n") << QStringList() << "simulated"
                               << "";
    // A relative folder in the variables is no folder (there, "bad" holds a
    // file naming a folder that is not there): ~/.config is used instead.
    QTest::newRow("relative XDG_CONFIG_HOME")
        << QByteArray("LibraryPath=typo\n")
        << QStringList {"XDG_CONFIG_HOME=bad", "HOME=FOLDER/home"} << "SYSTEM"
        << "";
    QTest::newRow("relative XDG_CONFIG_DIRS")
        << QByteArray("# nothing\n") << QStringList("XDG_CONFIG_DIRS=bad:FOLDER/etc") << "SYSTEM"
        << "";
}

void tst_LibrarySearch::configurationFiles()
{
    QFETCH(QByteArray, user);
    QFETCH(QStringList, environment);
    QFETCH(QString, taken);
    QFETCH(QString, warning);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString userFolder = folder.filePath("config/qx5170fp");
    const QString userFile = userFolder + "/qx5170fp.conf";
    const QString systemFolder = folder.filePath("etc/qx5170fp");
    QVERIFY(dressVendorFolder(userFolder + "/user"));
    QVERIFY(dressVendorFolder(systemFolder + "/system"));
    QVERIFY(writeFile(systemFolder + "/qx5170fp.conf", "LibraryPath=system\n"));
    QVERIFY(writeFile(folder.filePath("bad/qx5170fp/qx5170fp.conf"), "LibraryPath=typo\n"));
    RunPlace how;
    if (user == "(FIFO)") {
        QVERIFY(::mkfifo(QFile::encodeName(userFile).constData(), 0644) == 0);
    } else if (user == "(unreadable)") {
        QVERIFY(writeFile(userFile, "LibraryPath=user\n"));
        QVERIFY(QFile::setPermissions(userFile, QFile::Permissions()));
        how = unprivileged(folder);
        // The stand-ins' trace would go where that user may not write.
        environment.append("SFP_SIM_TRACE=");
    } else {
        QVERIFY(writeFile(userFile, user));
    }
    // Started elsewhere: relative folders are not the working folder's.
    how.workingFolder = folder.path();
    for (QString &variable : environment)
        variable.replace("FOLDER", folder.path());
    environment.prepend("XDG_CONFIG_DIRS=" + folder.filePath("etc"));
    environment.prepend("XDG_CONFIG_HOME=" + folder.filePath("config"));

    const Run run = runProgram({"--version"}, environment, {}, Libraries::Searched, how);
    QVERIFY2(run.status == 0, run.err.constData());
    QString expected = warning.isEmpty()
        ? QString()
        : QStringLiteral("qx5170fp: %1 is ignored: it %2\n").arg(userFile, warning);
    if (taken == "simulated") {
        QVERIFY2(run.out.endsWith(simulatedLibraries().toUtf8()), run.out.constData());
        expected += fallback() + nothingOnLinkerPath + "\n";
    } else {
        const QString from = taken == "USER" ? userFile : systemFolder + "/qx5170fp.conf";
        const QString libraries = taken == "USER" ? userFolder + "/user" : systemFolder + "/system";
        QVERIFY2(QString::fromUtf8(run.out).endsWith(librariesOf(libraries, from)),
                 run.out.constData());
    }
    QCOMPARE(QString::fromUtf8(run.err), expected);
}

SFPTEST_MAIN(tst_LibrarySearch)
#include "tst_librarysearch.moc"
