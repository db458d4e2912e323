// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "platformlibraries.h"

#include "inifilesave.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <initializer_list>
#include <link.h>
#include <vector>

namespace {

// The file names real installations give the libraries, most common
// first. In a folder, the stand-ins' own VISA name is taken too.
const std::initializer_list<const char *> visaNames
    = {"libvisa.so", "libvisa.so.0", "libiovisa.so", "librsvisa.so"};
const std::initializer_list<const char *> visaNamesInFolder
    = {"libvisa.so", "libvisa.so.0", "libiovisa.so", "librsvisa.so", "libvisa64.so"};
const std::initializer_list<const char *> commonNames = {"libqx2010_64.so", "libqx2010.so"};
const std::initializer_list<const char *> driverNames = {"libqx5170_64.so", "libqx5170.so"};

sfp::PlatformFunctions table;

// What load() found; built on first use.
sfp::platform::Loaded &result()
{
    static sfp::platform::Loaded loaded;
    return loaded;
}

QString loaderMessage()
{
    const char *message = dlerror();
    return message ? QString::fromLocal8Bit(message) : QStringLiteral("unknown error");
}

QString joinedNames(std::initializer_list<const char *> names)
{
    QStringList list;
    for (const char *name : names)
        list.append(QLatin1String(name));
    const QString last = list.takeLast();
    return list.isEmpty() ? last : list.join(QLatin1String(", ")) + QLatin1String(" or ") + last;
}

// Why a place gave no set, and whether that ends the search: a library
// that is there but cannot be used, in a place the user named, does.
struct Attempt
{
    bool complete = false;
    bool broken = false; // a file found that is no usable library
    QString reason;
    QString visaPath;
    QString commonPath;
    QString driverPath;
    sfp::PlatformFunctions functions;
};

class Loader final
{
public:
    // `folder` empty: the dynamic linker's own search by file name.
    explicit Loader(const QString &folder)
        : m_folder(folder)
    { }

    ~Loader()
    {
        // A partial set is never kept, so that the stand-ins never mix
        // with another maker's libraries.
        if (!m_keep) {
            for (auto it = m_handles.rbegin(); it != m_handles.rend(); ++it)
                dlclose(*it);
        }
    }
    Loader(const Loader &) = delete;
    Loader &operator=(const Loader &) = delete;

    Attempt run()
    {
        Attempt attempt;
        // VISA first and for everyone, so that the driver's and the common
        // library's own need of VISA is met by the one the program uses:
        // the program asks VISA about the driver's session.
        void *visa = open(m_folder.isEmpty() ? visaNames : visaNamesInFolder,
                          RTLD_NOW | RTLD_GLOBAL, &attempt.visaPath, &attempt);
        if (!visa)
            return attempt;
        auto &f = attempt.functions;
        if (!resolve(visa, attempt.visaPath, "viOpenDefaultRM", &f.viOpenDefaultRM, &attempt)
            || !resolve(visa, attempt.visaPath, "viFindRsrc", &f.viFindRsrc, &attempt)
            || !resolve(visa, attempt.visaPath, "viFindNext", &f.viFindNext, &attempt)
            || !resolve(visa, attempt.visaPath, "viOpen", &f.viOpen, &attempt)
            || !resolve(visa, attempt.visaPath, "viClose", &f.viClose, &attempt)
            || !resolve(visa, attempt.visaPath, "viGetAttribute", &f.viGetAttribute, &attempt))
            return attempt;

        void *common = open(commonNames, RTLD_NOW | RTLD_LOCAL, &attempt.commonPath, &attempt);
        if (!common)
            return attempt;
        const QString &c = attempt.commonPath;
        if (!resolve(common, c, "qx2010_mb_open", &f.qx2010_mb_open, &attempt)
            || !resolve(common, c, "qx2010_mb_close", &f.qx2010_mb_close, &attempt)
            || !resolve(common, c, "qx2010_error_message", &f.qx2010_error_message, &attempt)
            || !resolve(common, c, "qx2010_library_revision", &f.qx2010_library_revision, &attempt))
            return attempt;

        void *driver = open(driverNames, RTLD_NOW | RTLD_LOCAL, &attempt.driverPath, &attempt);
        if (!driver)
            return attempt;
        const QString &d = attempt.driverPath;
        if (!resolve(driver, d, "qx5170_init", &f.qx5170_init, &attempt)
            || !resolve(driver, d, "qx5170_close", &f.qx5170_close, &attempt)
            || !resolve(driver, d, "qx5170_error_message", &f.qx5170_error_message, &attempt)
            || !resolve(driver, d, "qx5170_revision_query", &f.qx5170_revision_query, &attempt)
            || !resolve(driver, d, "qx5170_switchRelay", &f.qx5170_switchRelay, &attempt)
            || !resolve(driver, d, "qx5170_setSwitchingMode", &f.qx5170_setSwitchingMode, &attempt)
            || !resolve(driver, d, "qx5170_updateRelaysState", &f.qx5170_updateRelaysState,
                        &attempt)
            || !resolve(driver, d, "qx5170_pulseSynchTrigger", &f.qx5170_pulseSynchTrigger,
                        &attempt))
            return attempt;

        attempt.complete = true;
        m_keep = true;
        return attempt;
    }

private:
    // Opens the first of `names` that is there; null with the reason set
    // when none is, or when the one found does not load.
    void *open(std::initializer_list<const char *> names, int mode, QString *path, Attempt *attempt)
    {
        for (const char *name : names) {
            QString file = QLatin1String(name);
            if (!m_folder.isEmpty()) {
                file = QDir(m_folder).filePath(file);
                if (!QFileInfo::exists(file))
                    continue;
            }
            dlerror();
            void *handle = dlopen(QFile::encodeName(file).constData(), mode);
            if (handle) {
                m_handles.push_back(handle);
                *path = m_folder.isEmpty() ? pathOf(handle, file)
                                           : QFileInfo(file).absoluteFilePath();
                return handle;
            }
            QString message = loaderMessage();
            const bool notFound = message.contains(QLatin1String("No such file"));
            // The linker's "not found" only says that no such file is on
            // its path; try the next name.
            if (m_folder.isEmpty() && notFound)
                continue;
            // Said also of a file that is there, built for another machine.
            if (notFound)
                message += QLatin1String(" (a library this machine cannot load)");
            attempt->broken = true;
            attempt->reason
                = message.contains(file) ? message : QStringLiteral("%1: %2").arg(file, message);
            return nullptr;
        }
        attempt->reason = QStringLiteral("no %1").arg(joinedNames(names));
        if (!attempt->visaPath.isEmpty())
            attempt->reason += QStringLiteral(" beside %1").arg(attempt->visaPath);
        return nullptr;
    }

    template<typename Function>
    bool resolve(void *handle, const QString &path, const char *name, Function *function,
                 Attempt *attempt)
    {
        dlerror();
        void *symbol = dlsym(handle, name);
        if (!symbol) {
            attempt->broken = true;
            attempt->reason = QStringLiteral("%1: no function %2").arg(path, QLatin1String(name));
            return false;
        }
        *function = reinterpret_cast<Function>(symbol);
        return true;
    }

    // The file the linker took for `name`.
    static QString pathOf(void *handle, const QString &name)
    {
        link_map *map = nullptr;
        if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name && *map->l_name)
            return QFileInfo(QFile::decodeName(map->l_name)).absoluteFilePath();
        return name;
    }

    QString m_folder;
    std::vector<void *> m_handles;
    bool m_keep = false;
};

QStringList folders(const QString &list)
{
    return list.split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

void take(const Attempt &attempt, const QString &origin, bool simulated)
{
    table = attempt.functions;
    result().ok = true;
    result().simulated = simulated;
    result().origin = origin;
    result().visaPath = attempt.visaPath;
    result().commonPath = attempt.commonPath;
    result().driverPath = attempt.driverPath;
}

} // namespace

const sfp::PlatformFunctions &sfp::libraries()
{
    if (!result().ok) {
        std::fputs("qx5170fp: the platform libraries were not loaded\n", stderr);
        std::abort();
    }
    return table;
}

namespace sfp::platform {

Search programSearch(const QString &option, bool simulate)
{
    Search search;
    search.option = option;
    search.simulate = simulate;
    search.environment = qEnvironmentVariable("QX5170FP_LIBRARY_PATH");
    const QStringList files = QStandardPaths::locateAll(QStandardPaths::GenericConfigLocation,
                                                        QStringLiteral("qx5170fp/qx5170fp.conf"));
    for (const QString &file : files) {
        const QSettings settings(file, QSettings::IniFormat);
        if (settings.contains(QStringLiteral("LibraryPath"))) {
            search.configFile = file;
            search.configured = sfp::iniFile::text(settings, QStringLiteral("LibraryPath"));
            break;
        }
    }
    // The stand-ins' private folder beside the installed program, or the
    // build's library folder when it runs from there.
    const QString programFolder = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    search.simulatedFolders = {programFolder + QStringLiteral("/../" SFP_PRIVATE_LIBDIR),
                               programFolder + QStringLiteral("/../lib")};
    return search;
}

Loaded load(const Search &search)
{
    if (result().ok)
        return result();

    QStringList skipped;
    // The places the user named: a library there that cannot be used is
    // an error to fix, not something to pass over.
    struct Named
    {
        QString origin;
        QStringList folders;
    };
    QList<Named> named;
    if (!search.simulate) {
        if (!search.option.isEmpty())
            named.append({QStringLiteral("--library-path"), {search.option}});
        if (!search.environment.isEmpty())
            named.append({QStringLiteral("QX5170FP_LIBRARY_PATH"), folders(search.environment)});
        if (!search.configured.isEmpty())
            named.append({search.configFile, folders(search.configured)});
    }
    for (const Named &place : std::as_const(named)) {
        for (const QString &folder : place.folders) {
            Loader loader(folder);
            const Attempt attempt = loader.run();
            if (attempt.complete) {
                take(attempt, place.origin, false);
                return result();
            }
            if (attempt.broken) {
                Loaded failed;
                failed.error = attempt.reason;
                return failed;
            }
            skipped.append(QStringLiteral("%1 %2: %3").arg(place.origin, folder, attempt.reason));
        }
    }

    if (!search.simulate && search.linker) {
        Loader loader {QString()};
        const Attempt attempt = loader.run();
        if (attempt.complete) {
            take(attempt, QStringLiteral("the dynamic linker"), false);
            return result();
        }
        skipped.append(QStringLiteral("the dynamic linker: %1").arg(attempt.reason));
    }

    QStringList simulatedSkipped;
    for (const QString &folder : search.simulatedFolders) {
        Loader loader(folder);
        const Attempt attempt = loader.run();
        if (attempt.complete) {
            take(attempt, QStringLiteral("the simulated platform"), true);
            if (!search.simulate)
                result().fallback = QStringLiteral("no vendor libraries found, so the simulated "
                                                   "platform is used; searched %1")
                                        .arg(skipped.join(QLatin1String("; ")));
            return result();
        }
        simulatedSkipped.append(
            QStringLiteral("%1: %2").arg(QDir::cleanPath(folder), attempt.reason));
    }

    Loaded failed;
    failed.error = QStringLiteral("no platform libraries found; searched %1")
                       .arg((skipped + simulatedSkipped).join(QLatin1String("; ")));
    return failed;
}

const Loaded &loaded()
{
    return result();
}

} // namespace sfp::platform
