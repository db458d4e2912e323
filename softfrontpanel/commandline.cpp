// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "commandline.h"

#include "endpoint.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>

#include <algorithm>
#include <cstdio>
#include <initializer_list>

namespace {

const char description[]
    = "Soft front panel of the Orbelan 5170 32-channel relay card.\n"
      "Without options it asks how to connect: Auto Find, Run In Demo Mode or Enter Address.";

// Every option that Qt 6.4 itself reads from the command line, so that none
// of the toolkit's behaviour is cut off: QCoreApplication's -qmljsdebugger;
// QGuiApplication's -platform, -platformpluginpath, -platformtheme, -plugin,
// -qwindowgeometry, -qwindowtitle, -qwindowicon, -session, -style, -reverse
// and -testability; QApplication's -stylesheet and -widgetcount; and the X11
// platform's -display, -geometry, -title, -icon, -name, -visual, -nograb and
// -dograb (the toolkit reads those only when X11 is its platform; elsewhere
// they are left unused, as without us). Options of older versions of the
// toolkit that Qt 6 no longer reads (-fn, -bg, -cmap, ...) are refused:
// accepting them would only pretend. Never shown in our help.
const std::initializer_list<const char *> toolkitOptionsWithValue = {"platform",
                                                                     "platformpluginpath",
                                                                     "platformtheme",
                                                                     "plugin",
                                                                     "qwindowgeometry",
                                                                     "qwindowtitle",
                                                                     "qwindowicon",
                                                                     "session",
                                                                     "style",
                                                                     "stylesheet",
                                                                     "qmljsdebugger",
                                                                     "display",
                                                                     "geometry",
                                                                     "title",
                                                                     "icon",
                                                                     "name",
                                                                     "visual"};
const std::initializer_list<const char *> toolkitFlags
    = {"reverse", "testability", "widgetcount", "nograb", "dograb"};

struct Options
{
    QCommandLineOption help {{QStringLiteral("h"), QStringLiteral("help")},
                             QStringLiteral("Show this help and exit.")};
    QCommandLineOption version {{QStringLiteral("V"), QStringLiteral("version")},
                                QStringLiteral("Show the revisions of the panel, the instrument "
                                               "driver and the common library, and exit.")};
    QCommandLineOption demo {QStringLiteral("demo"),
                             QStringLiteral("Start in demo mode, without hardware (as \"Run In "
                                            "Demo Mode\").")};
    QCommandLineOption scan {QStringLiteral("scan"),
                             QStringLiteral("Search for the card at once (as \"Auto Find\").")};
    QCommandLineOption address {QStringLiteral("address"),
                                QStringLiteral("Open the card on the motherboard with this VISA "
                                               "resource descriptor (with --fc). Not stored in "
                                               "DefaultInstrDescr.ini."),
                                QStringLiteral("DESCRIPTOR")};
    QCommandLineOption fc {QStringLiteral("fc"),
                           QStringLiteral("Function-card number on that motherboard, 1 to 8 (with "
                                          "--address)."),
                           QStringLiteral("N")};
    QCommandLineOption libraryPath {
        QStringLiteral("library-path"),
        QStringLiteral("Load VISA, the common library and the instrument driver from this folder "
                       "and nowhere else; without them there, the program ends."),
        QStringLiteral("DIR")};
    QCommandLineOption simulate {QStringLiteral("simulate"),
                                 QStringLiteral("Run on the simulated platform that comes with "
                                                "the panel, whatever vendor libraries are "
                                                "installed.")};
    QCommandLineOption listen {
        QStringLiteral("listen"),
        QStringLiteral("Take SCPI commands on this TCP port once connected (card or demo mode), "
                       "on the loopback interface unless an address is named: 5025, "
                       "127.0.0.1:5025, [::1]:5025, 0.0.0.0:5025, [::]:5025 (every address, "
                       "IPv4 ones too)."),
        QStringLiteral("[ADDRESS:]PORT")};
    QCommandLineOption idleTimeout {
        QStringLiteral("idle-timeout"),
        QStringLiteral("With --listen: close the connection of a remote client that has sent "
                       "nothing for this many seconds (by default a client may stay silent as "
                       "long as it likes)."),
        QStringLiteral("SECONDS")};
    QCommandLineOption breakBeforeMake {
        QStringLiteral("break-before-make"),
        QStringLiteral("Under the exclusive rule, open a relay's partner before the clicked relay "
                       "closes (by default the relay closes first).")};
    QCommandLineOption fixture {
        QStringLiteral("fixture"),
        QStringLiteral("Read the card's fixture (relay labels, rules, rated life, named states) "
                       "from this JSON file instead of the card's own file under "
                       "~/.config/qx5170fp/fixtures."),
        QStringLiteral("FILE")};
    QCommandLineOption noLog {
        QStringLiteral("no-log"),
        QStringLiteral("Keep no switching log (by default every change of the card is logged to "
                       "~/.local/state/qx5170fp/<card id>/switching.jsonl).")};
    QCommandLineOption logToScpi {
        QStringLiteral("log-to-scpi"),
        QStringLiteral("Print the SCPI lines that make the changes of a switching log again, and "
                       "exit."),
        QStringLiteral("LOG")};
    QCommandLineOption logToVcd {
        QStringLiteral("log-to-vcd"),
        QStringLiteral("Write the relays of a switching log as a Value Change Dump to OUT.vcd (for "
                       "sigrok and PulseView), and exit: --log-to-vcd LOG OUT.vcd."),
        QStringLiteral("LOG")};
    QCommandLineOption since {
        QStringLiteral("since"),
        QStringLiteral("With --log-to-scpi or --log-to-vcd: only the changes from this time on "
                       "(ISO 8601, 2026-12-09T14:05:00)."),
        QStringLiteral("TIME")};
    QCommandLineOption until {
        QStringLiteral("until"),
        QStringLiteral("With --log-to-scpi or --log-to-vcd: only the changes up to this time."),
        QStringLiteral("TIME")};
    QList<QCommandLineOption> toolkit;

    Options()
    {
        for (const char *name : toolkitOptionsWithValue) {
            QCommandLineOption option(QLatin1String(name), QString(), QStringLiteral("value"));
            option.setFlags(QCommandLineOption::HiddenFromHelp);
            toolkit.append(option);
        }
        for (const char *name : toolkitFlags) {
            QCommandLineOption option {QLatin1String(name), QString()};
            option.setFlags(QCommandLineOption::HiddenFromHelp);
            toolkit.append(option);
        }
    }

    QList<const QCommandLineOption *> ours() const
    {
        return {&help,
                &version,
                &demo,
                &scan,
                &address,
                &fc,
                &libraryPath,
                &simulate,
                &listen,
                &idleTimeout,
                &breakBeforeMake,
                &fixture,
                &noLog,
                &logToScpi,
                &logToVcd,
                &since,
                &until};
    }

    // The option's long name, whichever of its names was given (-h is
    // "help").
    QString longName(const QString &givenName) const
    {
        for (const QCommandLineOption *option : ours()) {
            if (option->names().contains(givenName))
                return option->names().constLast();
        }
        return givenName;
    }

    void addTo(QCommandLineParser &parser) const
    {
        parser.setApplicationDescription(QLatin1String(description));
        for (const QCommandLineOption *option : ours())
            parser.addOption(*option);
        parser.addOptions(toolkit);
    }
};

QCommandLineParser &configured(QCommandLineParser &parser, const Options &options)
{
    // The toolkit's options are words after one dash (-platform); ours
    // follow the same rule, so -demo is --demo.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    options.addTo(parser);
    return parser;
}

// The longest --idle-timeout: what the toolkit's timers hold in
// milliseconds, some 24 days.
constexpr uint maxIdleTimeoutSeconds = 2147483;

bool looksLikeOption(const QString &value)
{
    return value.startsWith(QLatin1String("--"))
        || (value.size() > 1 && value.at(0) == QLatin1Char('-') && !value.at(1).isDigit());
}

// Error lines repeat what was typed. Control characters in it (C0, DEL and
// C1) are written as C escapes, so that they reach the terminal as text and
// never as commands to it (a title change, a cleared screen); a backslash is
// doubled so that a typed "\a" stays distinct from a bell.
QString withCEscapes(const QString &text)
{
    // The letters of C's escapes for the codes 7 (\a) to 13 (\r).
    static const char letters[] = "abtnvfr";
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t code = ch.unicode();
        if (code >= u'\a' && code <= u'\r')
            escaped.append(QLatin1Char('\\')).append(QLatin1Char(letters[code - u'\a']));
        else if (code == u'\\')
            escaped += QLatin1String("\\\\");
        else if (ch.category() == QChar::Other_Control)
            escaped += QStringLiteral("\\x%1").arg(uint(code), 2, 16, QLatin1Char('0'));
        else
            escaped += ch;
    }
    return escaped;
}

qx5170fpCommandLine error(const QString &text)
{
    qx5170fpCommandLine result;
    result.action = qx5170fpCommandLine::Error;
    result.error = withCEscapes(text);
    return result;
}

// Reads --listen's [ADDRESS:]PORT: an IPv4 address, an IPv6 address in
// brackets, or "localhost"; without an address, the IPv4 loopback. "[::]"
// is every address, IPv4 ones too, as it is to most servers.
bool parseListen(const QString &value, qx5170fpCommandLine *result)
{
    QString host;
    QString portText = value;
    if (value.startsWith(QLatin1Char('['))) {
        const qsizetype close = value.indexOf(QLatin1String("]:"));
        if (close < 0)
            return false;
        host = value.mid(1, close - 1);
        portText = value.mid(close + 2);
    } else if (const qsizetype colon = value.lastIndexOf(QLatin1Char(':')); colon >= 0) {
        host = value.left(colon);
        portText = value.mid(colon + 1);
        // An IPv6 address goes in brackets, else its last group would be
        // read as the port.
        if (host.isEmpty() || host.contains(QLatin1Char(':')))
            return false;
    }
    bool isNumber = false;
    const uint port = portText.toUInt(&isNumber, 10);
    if (!isNumber || port < 1 || port > 65535 || !portText.at(0).isDigit())
        return false;

    QHostAddress address(QHostAddress::LocalHost);
    if (!host.isEmpty() && host != QLatin1String("localhost") && !address.setAddress(host))
        return false;
    // A scope or a name in brackets is no address to bind.
    if (value.startsWith(QLatin1Char('[')) && address.protocol() != QAbstractSocket::IPv6Protocol)
        return false;
    // The toolkit binds "::" for IPv6 clients only; its "any" is both.
    if (address == QHostAddress::AnyIPv6)
        address = QHostAddress(QHostAddress::Any);
    result->listen = true;
    result->listenAddress = address;
    result->listenPort = quint16(port);
    result->listenAddressNamed = !host.isEmpty();
    return true;
}

} // namespace

void qx5170fpSay(const QString &text)
{
    std::fprintf(stderr, "qx5170fp: %s\n", qUtf8Printable(text));
}

QString qx5170fpListenWarning(const QHostAddress &address, quint16 port)
{
    return QStringLiteral("the remote control listens on %1: anyone who can reach it there can "
                          "switch the relays")
        .arg(sfp::endpointText(address, port));
}

qx5170fpCommandLine qx5170fpParseCommandLine(const QStringList &arguments)
{
    const Options options;
    QCommandLineParser parser;
    if (!configured(parser, options).parse(arguments))
        return error(parser.errorText());
    // The toolkit's parser takes the next word as the value even when it is
    // another option ("--address --fc 2"): no descriptor or number starts
    // so.
    for (const QCommandLineOption *option :
         {&options.address, &options.fc, &options.libraryPath, &options.listen,
          &options.idleTimeout, &options.fixture, &options.logToScpi, &options.logToVcd,
          &options.since, &options.until}) {
        const QString value = parser.value(*option);
        if (parser.isSet(*option) && looksLikeOption(value))
            return error(
                QStringLiteral("Missing value after '--%1'.").arg(option->names().constFirst()));
    }
    // Only the dump's file stands alone on the command line.
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(options.logToVcd) && positional.size() != 1)
        return error(QStringLiteral("--log-to-vcd takes the log and the file to write: "
                                    "--log-to-vcd LOG OUT.vcd."));
    if (!parser.isSet(options.logToVcd) && !positional.isEmpty())
        return error(QStringLiteral("Unexpected argument '%1'.").arg(positional.constFirst()));

    // Every option once, by whichever of its names (-h and --help are one
    // option): a second one would leave it unclear which counts.
    QStringList given;
    for (const QString &name : parser.optionNames())
        given.append(options.longName(name));
    for (const QString &name : given) {
        if (given.count(name) > 1)
            return error(QStringLiteral("Option '%1' given more than once.").arg(name));
    }

    qx5170fpCommandLine result;
    if (parser.isSet(options.help)) {
        result.action = qx5170fpCommandLine::Help;
        return result;
    }
    // Where the platform libraries come from, also for the version, which
    // names them.
    result.simulate = parser.isSet(options.simulate);
    result.libraryPath = parser.value(options.libraryPath);
    if (parser.isSet(options.libraryPath) && result.libraryPath.isEmpty())
        return error(QStringLiteral("--library-path needs a folder."));
    if (result.simulate && parser.isSet(options.libraryPath))
        return error(QStringLiteral("Choose only one of --simulate and --library-path."));
    if (parser.isSet(options.version)) {
        result.action = qx5170fpCommandLine::Version;
        return result;
    }

    // The switching log's tools read a file and end; they drive no card.
    if (parser.isSet(options.logToScpi) && parser.isSet(options.logToVcd))
        return error(QStringLiteral("Choose only one of --log-to-scpi and --log-to-vcd."));
    for (const QCommandLineOption *bound : {&options.since, &options.until}) {
        const QString name = bound->names().constFirst();
        if (!parser.isSet(*bound))
            continue;
        if (!parser.isSet(options.logToScpi) && !parser.isSet(options.logToVcd))
            return error(QStringLiteral("--%1 is for --log-to-scpi and --log-to-vcd.").arg(name));
        const QString value = parser.value(*bound);
        const QDateTime time = QDateTime::fromString(value, Qt::ISODateWithMs);
        if (!time.isValid())
            return error(QStringLiteral("--%1 takes a time as ISO 8601 writes it "
                                        "(2026-12-09T14:05:00, with an offset or Z where it is "
                                        "not local time), not '%2'.")
                             .arg(name, value));
        (bound == &options.since ? result.since : result.until) = time;
    }
    if (parser.isSet(options.logToScpi) || parser.isSet(options.logToVcd)) {
        const bool scpi = parser.isSet(options.logToScpi);
        result.action = scpi ? qx5170fpCommandLine::LogToScpi : qx5170fpCommandLine::LogToVcd;
        result.log = parser.value(scpi ? options.logToScpi : options.logToVcd);
        if (result.log.isEmpty())
            return error(
                QStringLiteral("--%1 needs a log file.").arg(scpi ? "log-to-scpi" : "log-to-vcd"));
        if (!scpi)
            result.vcd = positional.constFirst();
        result.fixture = parser.value(options.fixture);
        return result;
    }
    result.noLog = parser.isSet(options.noLog);

    if (parser.isSet(options.listen)) {
        const QString value = parser.value(options.listen);
        if (!parseListen(value, &result))
            return error(QStringLiteral("--listen takes [ADDRESS:]PORT with a numeric address and "
                                        "a port from 1 to 65535, not '%1'.")
                             .arg(value));
    }
    if (parser.isSet(options.idleTimeout)) {
        const QString value = parser.value(options.idleTimeout);
        bool isNumber = false;
        const uint seconds = value.toUInt(&isNumber, 10);
        if (!isNumber || seconds < 1 || seconds > maxIdleTimeoutSeconds || !value.at(0).isDigit())
            return error(QStringLiteral("--idle-timeout takes a whole number of seconds from 1 to "
                                        "%1, not '%2'.")
                             .arg(maxIdleTimeoutSeconds)
                             .arg(value));
        if (!result.listen)
            return error(QStringLiteral("--idle-timeout is for the remote control: give --listen "
                                        "too."));
        result.idleTimeoutSeconds = int(seconds);
    }
    result.breakBeforeMake = parser.isSet(options.breakBeforeMake);
    result.fixture = parser.value(options.fixture);
    if (parser.isSet(options.fixture) && result.fixture.isEmpty())
        return error(QStringLiteral("--fixture needs a file."));

    // An empty name leaves the toolkit without any platform to try; it would
    // abort.
    result.platform = parser.value(QStringLiteral("platform"));
    if (parser.isSet(QStringLiteral("platform")) && result.platform.isEmpty())
        return error(QStringLiteral("-platform needs the name of a platform."));
    result.display = parser.value(QStringLiteral("display"));

    const int ways = int(parser.isSet(options.demo)) + int(parser.isSet(options.scan))
        + int(parser.isSet(options.address) || parser.isSet(options.fc));
    if (ways > 1)
        return error(QStringLiteral("Choose only one of --demo, --scan and --address."));
    if (parser.isSet(options.address) != parser.isSet(options.fc))
        return error(QStringLiteral("--address and --fc go together: give both."));

    if (parser.isSet(options.demo)) {
        result.start.kind = sfpStartChoice::Demo;
    } else if (parser.isSet(options.scan)) {
        result.start.kind = sfpStartChoice::AutoFind;
    } else if (parser.isSet(options.address)) {
        const QString descriptor = parser.value(options.address);
        if (descriptor.isEmpty())
            return error(QStringLiteral("--address needs a VISA resource descriptor."));
        // Descriptors are Latin-1 text for the driver, without control
        // characters. A comma would make the driver read a list of cards,
        // while the panel counts one.
        for (const QChar ch : descriptor) {
            if (ch.unicode() > 0xff || ch.category() == QChar::Other_Control
                || ch == QLatin1Char(','))
                return error(QStringLiteral("--address '%1' is no VISA resource descriptor.")
                                 .arg(descriptor));
        }
        bool isNumber = false;
        const QString fcText = parser.value(options.fc);
        const int fcNumber = fcText.toInt(&isNumber, 10);
        if (!isNumber || fcNumber < 1 || fcNumber > 8)
            return error(
                QStringLiteral("--fc must be a function-card number from 1 to 8, not '%1'.")
                    .arg(fcText));
        result.start.kind = sfpStartChoice::Address;
        result.start.descriptor = descriptor;
        result.start.fcNumber = fcNumber;
    }
    return result;
}

QStringList qx5170fpToolkitArguments(const QStringList &arguments)
{
    const Options options;
    QCommandLineParser parser;
    QStringList toolkitArguments(arguments.value(0));
    if (!configured(parser, options).parse(arguments))
        return toolkitArguments;
    // Built from what the parser read rather than from the words: the
    // toolkit knows only "-platform NAME", not "--platform=NAME", and a
    // value that looks like an option ("-qwindowtitle -x-") stays a value.
    QStringList seen;
    for (const QString &name : parser.optionNames()) {
        const int occurrence = int(seen.count(name));
        seen.append(name);
        for (const QCommandLineOption &option : options.toolkit) {
            if (option.names().constFirst() != name)
                continue;
            toolkitArguments.append(QLatin1Char('-') + name);
            if (!option.valueName().isEmpty())
                toolkitArguments.append(parser.values(name).value(occurrence));
        }
    }
    return toolkitArguments;
}

bool qx5170fpLacksDisplay(const qx5170fpCommandLine &commandLine,
                          const QProcessEnvironment &environment)
{
    const bool x11
        = !commandLine.display.isEmpty() || !environment.value(QStringLiteral("DISPLAY")).isEmpty();
    const bool wayland = !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();

    // Chosen as the toolkit chooses: -platform, else QT_QPA_PLATFORM when
    // not empty, else its default, X11 (or Wayland in a Wayland session).
    QString platforms = commandLine.platform;
    if (platforms.isEmpty())
        platforms = environment.value(QStringLiteral("QT_QPA_PLATFORM"));
    if (platforms.isEmpty())
        return !x11 && !wayland;

    // A list separated by ';' is tried in order, each name with its own
    // options after ':'. Only X11 is known to need a display that is
    // missing; any other platform (offscreen, vnc, eglfs, ...) may serve,
    // and the toolkit itself tells why one does not.
    const QStringList choices = platforms.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (choices.isEmpty() || x11)
        return false;
    return std::all_of(choices.cbegin(), choices.cend(), [](const QString &choice) {
        return choice.section(QLatin1Char(':'), 0, 0)
                   .compare(QLatin1String("xcb"), Qt::CaseInsensitive)
            == 0;
    });
}

bool qx5170fpShowsBoxes(const QString &platformName)
{
    return platformName.compare(QLatin1String("offscreen"), Qt::CaseInsensitive) != 0
        && platformName.compare(QLatin1String("minimal"), Qt::CaseInsensitive) != 0;
}

bool qx5170fpShowsBoxes(const qx5170fpCommandLine &commandLine,
                        const QProcessEnvironment &environment)
{
    QString platforms = commandLine.platform;
    if (platforms.isEmpty())
        platforms = environment.value(QStringLiteral("QT_QPA_PLATFORM"));
    return qx5170fpShowsBoxes(
        platforms.section(QLatin1Char(';'), 0, 0).section(QLatin1Char(':'), 0, 0));
}

QString qx5170fpHelpText()
{
    const Options options;
    QCommandLineParser parser;
    QString text = configured(parser, options).helpText();
    // Without an application object the toolkit does not know our name.
    text.replace(QLatin1String("<executable_name>"), QLatin1String("qx5170fp"));
    text += QLatin1String(
        "\nThe platform libraries come from the first place named of --library-path,\n"
        "QX5170FP_LIBRARY_PATH (folders separated by ':') and the key LibraryPath of\n"
        "$XDG_CONFIG_HOME/qx5170fp/qx5170fp.conf (by default ~/.config/...), else of\n"
        "qx5170fp/qx5170fp.conf in $XDG_CONFIG_DIRS (by default /etc/xdg); a place\n"
        "named that does not hold them ends the program. Without one, the dynamic\n"
        "linker's folders are searched, and then the simulated platform is used.\n"
        "\nThe toolkit's own options (-platform, -style, -display, ...) are accepted too.\n"
        "Exit status: 0, also when the operator cancels; 1 when there is no display\n"
        "to show the panel on, when the platform libraries are not where a place\n"
        "names them, when the port of --listen cannot be had, or when help or the\n"
        "version cannot be written; 2 when the command line is wrong, or when the\n"
        "card's fixture file cannot be used (it cannot be read, is not JSON or breaks\n"
        "the format).\n");
    return text;
}
