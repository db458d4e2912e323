// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "programrun.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

QProcessEnvironment programEnvironment(const QTemporaryDir &folder, const QString &tracePath,
                                       const QStringList &changes)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("SFP_SIM_TRACE"), tracePath);
    environment.insert(QStringLiteral("ALLUSERSPROFILE"), folder.path());
    // No platform libraries named anywhere but where a test names them.
    environment.remove(QStringLiteral("QX5170FP_LIBRARY_PATH"));
    environment.remove(QStringLiteral("LD_LIBRARY_PATH"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       folder.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_CONFIG_DIRS"), folder.filePath(QStringLiteral("etc")));
    // The relay counters of the cards a run drives stay in the run's folder.
    environment.insert(QStringLiteral("XDG_STATE_HOME"), folder.filePath(QStringLiteral("state")));
    for (const QString &change : changes)
        environment.insert(change.section(QLatin1Char('='), 0, 0),
                           change.section(QLatin1Char('='), 1));
    return environment;
}

Run runProgram(const QStringList &arguments, const QStringList &environment,
               const QString &outputFile, Libraries libraries, const RunPlace &place)
{
    QTemporaryDir folder;
    const QString tracePath = folder.filePath(QStringLiteral("trace.txt"));
    QProcess process;
    process.setProcessEnvironment(programEnvironment(folder, tracePath, environment));
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    if (!place.workingFolder.isEmpty())
        process.setWorkingDirectory(place.workingFolder);
    QStringList command = place.wrapper;
    command.append(QStringLiteral(SFP_PROGRAM));
    command
        += libraries == Libraries::Simulated ? QStringList("--simulate") + arguments : arguments;
    process.start(command.takeFirst(), command);
    Run run;
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    QFile trace(tracePath);
    if (trace.open(QIODevice::ReadOnly))
        run.trace = trace.readAll();
    return run;
}

bool dressVendorFolder(const QString &folder)
{
    const QString standIns = QStringLiteral(SFP_STAND_IN_DIR);
    return QDir().mkpath(folder) && QFile::copy(standIns + "/libvisa64.so", folder + "/libvisa.so")
        && QFile::copy(standIns + "/libqx2010_64.so", folder + "/libqx2010_64.so")
        && QFile::copy(standIns + "/libqx5170_64.so", folder + "/libqx5170_64.so");
}

QString librariesOf(const QString &folder, const QString &from)
{
    return QStringLiteral("Libraries: vendor libraries (%2)\n  %1/libvisa.so\n"
                          "  %1/libqx2010_64.so\n  %1/libqx5170_64.so\n")
        .arg(folder, from);
}
