// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "platformlibraries.h"

#include "platformconfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <initializer_list>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>
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

QString joinedNames(QStringList list)
{
    const QString last = list.takeLast();
    return list.isEmpty() ? last : list.join(QLatin1String(", ")) + QLatin1String(" or ") + last;
}

// Finds the functions of one library, in the order given; the first one
// missing ends the lookup.
class Symbols final
{
public:
    explicit Symbols(void *handle)
        : m_handle(handle)
    { }

    template<typename Function>
    Symbols &take(const char *name, Function *function)
    {
        if (m_missing)
            return *this;
        void *symbol = dlsym(m_handle, name);
        if (symbol)
            *function = reinterpret_cast<Function>(symbol);
        else
            m_missing = name;
        return *this;
    }
    const char *missing() const { return m_missing; }

private:
    void *m_handle;
    const char *m_missing = nullptr;
};

const char *visaFunctions(void *handle, sfp::PlatformFunctions &f)
{
    return Symbols(handle)
        .take("viOpenDefaultRM", &f.viOpenDefaultRM)
        .take("viFindRsrc", &f.viFindRsrc)
        .take("viFindNext", &f.viFindNext)
        .take("viOpen", &f.viOpen)
        .take("viClose", &f.viClose)
        .take("viGetAttribute", &f.viGetAttribute)
        .missing();
}

const char *commonFunctions(void *handle, sfp::PlatformFunctions &f)
{
    return Symbols(handle)
        .take("qx2010_mb_open", &f.qx2010_mb_open)
        .take("qx2010_mb_close", &f.qx2010_mb_close)
        .take("qx2010_error_message", &f.qx2010_error_message)
        .take("qx2010_library_revision", &f.qx2010_library_revision)
        .missing();
}

const char *driverFunctions(void *handle, sfp::PlatformFunctions &f)
{
    return Symbols(handle)
        .take("qx5170_init", &f.qx5170_init)
        .take("qx5170_close", &f.qx5170_close)
        .take("qx5170_error_message", &f.qx5170_error_message)
        .take("qx5170_revision_query", &f.qx5170_revision_query)
        .take("qx5170_switchRelay", &f.qx5170_switchRelay)
        .take("qx5170_setSwitchingMode", &f.qx5170_setSwitchingMode)
        .take("qx5170_updateRelaysState", &f.qx5170_updateRelaysState)
        .take("qx5170_pulseSynchTrigger", &f.qx5170_pulseSynchTrigger)
        .missing();
}

// One of the three libraries: the names it goes by, how it is opened, and
// the functions taken from it.
struct Library
{
    std::initializer_list<const char *> names;
    int mode;
    const char *(*functions)(void *handle, sfp::PlatformFunctions &f);
};

// What one place gave: a complete set, or why not, each candidate of the
// library that could not be had with its own reason.
struct Attempt
{
    bool complete = false;
    QStringList reasons;
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
        if (!m_folder.isEmpty()) {
            const QString why = folderProblem();
            if (!why.isEmpty()) {
                attempt.reasons.append(why);
                return attempt;
            }
        }
        // VISA first and for everyone, so that the driver's and the common
        // library's own need of VISA is met by the one the program uses:
        // the program asks VISA about the driver's session.
        const Library visa {m_folder.isEmpty() ? visaNames : visaNamesInFolder,
                            RTLD_NOW | RTLD_GLOBAL, visaFunctions};
        const Library common {commonNames, RTLD_NOW | RTLD_LOCAL, commonFunctions};
        const Library driver {driverNames, RTLD_NOW | RTLD_LOCAL, driverFunctions};
        if (!open(visa, &attempt.visaPath, &attempt) || !open(common, &attempt.commonPath, &attempt)
            || !open(driver, &attempt.driverPath, &attempt))
            return attempt;
        attempt.complete = true;
        m_keep = true;
        return attempt;
    }

private:
    // Why a named folder cannot hold the libraries; empty when it can.
    QString folderProblem() const
    {
        struct stat status
        { };
        if (::stat(QFile::encodeName(m_folder).constData(), &status) != 0) {
            const int error = errno;
            return error == ENOENT ? QStringLiteral("no such folder")
                                   : QStringLiteral("cannot be read (%1)")
                                         .arg(QString::fromLocal8Bit(std::strerror(error)));
        }
        if (!S_ISDIR(status.st_mode))
            return QStringLiteral("not a folder");
        if (::access(QFile::encodeName(m_folder).constData(), X_OK) != 0)
            return QStringLiteral("cannot be searched (%1)")
                .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return QString();
    }

    // Opens the first of the library's names that loads and has every
    // function; a candidate that does not is remembered with its reason and
    // the next name is tried. False, with the reasons set, when none does.
    bool open(const Library &library, QString *path, Attempt *attempt)
    {
        QStringList tried;
        QStringList absent;
        for (const char *name : library.names) {
            QString file = QLatin1String(name);
            if (!m_folder.isEmpty()) {
                file = QDir(m_folder).filePath(file);
                const QFileInfo info(file);
                if (!info.exists()) {
                    if (info.isSymLink())
                        tried.append(QStringLiteral("%1: a link to %2, which is not there")
                                         .arg(file, info.symLinkTarget()));
                    else
                        absent.append(QLatin1String(name));
                    continue;
                }
            }
            dlerror();
            void *handle = dlopen(QFile::encodeName(file).constData(), library.mode);
            if (!handle) {
                const QString reason = whyNotLoaded(file, loaderMessage());
                if (reason.isEmpty())
                    absent.append(QLatin1String(name));
                else
                    tried.append(reason);
                continue;
            }
            const QString where
                = m_folder.isEmpty() ? pathOf(handle, file) : QFileInfo(file).absoluteFilePath();
            if (const char *missing = library.functions(handle, attempt->functions)) {
                tried.append(
                    QStringLiteral("%1: no function %2").arg(where, QLatin1String(missing)));
                dlclose(handle);
                continue;
            }
            m_handles.push_back(handle);
            *path = where;
            return true;
        }
        attempt->reasons = tried;
        if (!absent.isEmpty()) {
            QString none = QStringLiteral("no %1").arg(joinedNames(absent));
            if (!attempt->visaPath.isEmpty())
                none += QStringLiteral(" beside %1").arg(attempt->visaPath);
            attempt->reasons.append(none);
        }
        return false;
    }

    // The loader's message for `file` made into a reason; empty when the
    // dynamic linker only says it has no such file on its path.
    QString whyNotLoaded(const QString &file, const QString &message) const
    {
        static const QString cannotOpen = QStringLiteral(": cannot open shared object file: ");
        const qsizetype at = message.indexOf(cannotOpen);
        if (at > 0) {
            const QString subject = message.left(at);
            const QString cause = message.mid(at + cannotOpen.size());
            const bool notFound = cause.startsWith(QLatin1String("No such file"));
            if (subject == file) {
                if (m_folder.isEmpty() && notFound)
                    return QString();
                // Said also of a file that is there, built for another
                // machine.
                if (notFound)
                    return message + QLatin1String(" (a library this machine cannot load)");
                return message;
            }
            // The loader names the library that the candidate needs.
            return notFound ? QStringLiteral("%1 needs %2, which is not found").arg(file, subject)
                            : QStringLiteral("%1 needs %2, which cannot be opened (%3)")
                                  .arg(file, subject, cause);
        }
        return message.contains(file) ? message : QStringLiteral("%1: %2").arg(file, message);
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
    // The files are read only when they are the place to search, so that a
    // file nobody uses draws no warning.
    if (!simulate && option.isEmpty() && folders(search.environment).isEmpty()) {
        const QStringList files = platformConfig::files();
        for (const QString &file : files) {
            const platformConfig::Reading reading = platformConfig::read(file);
            if (!reading.warning.isEmpty())
                search.warnings.append(reading.warning);
            if (reading.set) {
                search.configFile = file;
                search.configured = reading.folders;
                break;
            }
        }
    }
    // The stand-ins' private folder beside the installed program (the
    // window's in bin/, the headless server's in libexec/qx5170fp/), or the
    // build's library folder when it runs from there.
    const QString programFolder = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    search.simulatedFolders = {programFolder + QStringLiteral("/../" SFP_PRIVATE_LIBDIR),
                               programFolder + QStringLiteral("/../../" SFP_PRIVATE_LIBDIR),
                               programFolder + QStringLiteral("/../lib")};
    return search;
}

Loaded load(const Search &search)
{
    if (result().ok)
        return result();

    // The place the user named is a promise: the libraries are there, or
    // the program says why not and starts nothing. Only the first place
    // named counts, so that a typing error is never covered by another.
    struct Named
    {
        QString origin; // for --version
        QString label; // for the error
        QStringList folders;
    };
    Named named;
    if (!search.simulate) {
        if (!search.option.isEmpty())
            named = {QStringLiteral("--library-path"),
                     QStringLiteral("--library-path"),
                     {search.option}};
        else if (!folders(search.environment).isEmpty())
            named = {QStringLiteral("QX5170FP_LIBRARY_PATH"),
                     QStringLiteral("QX5170FP_LIBRARY_PATH"), folders(search.environment)};
        else if (!search.configured.isEmpty())
            named = {search.configFile, QStringLiteral("LibraryPath in %1").arg(search.configFile),
                     search.configured};
    }
    if (!named.folders.isEmpty()) {
        QStringList failures;
        for (const QString &folder : std::as_const(named.folders)) {
            Loader loader(folder);
            const Attempt attempt = loader.run();
            if (attempt.complete) {
                take(attempt, named.origin, false);
                return result();
            }
            failures.append(QStringLiteral("%1 (%2): %3")
                                .arg(folder, named.label, attempt.reasons.constFirst()));
        }
        Loaded failed;
        failed.error = failures.join(QLatin1String("; "));
        return failed;
    }

    QStringList skipped;
    if (!search.simulate && search.linker) {
        Loader loader {QString()};
        const Attempt attempt = loader.run();
        if (attempt.complete) {
            take(attempt, QStringLiteral("the dynamic linker"), false);
            return result();
        }
        skipped.append(QStringLiteral("the dynamic linker: %1")
                           .arg(attempt.reasons.join(QLatin1String("; "))));
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
        simulatedSkipped.append(QStringLiteral("%1: %2").arg(
            QDir::cleanPath(folder), attempt.reasons.join(QLatin1String("; "))));
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
