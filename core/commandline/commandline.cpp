// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "commandline.h"

#include "endpoint.h"
#include "smallfile.h"
#include "translation.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <tuple>

namespace {

const char description[] = QT_TRANSLATE_NOOP(
    "CommandLineHelp",
    "Soft front panel of the Orbelan 5170 32-channel relay card.\n"
    "Without options it asks how to connect: Auto Find, Run In Demo Mode or Enter Address.");

// The toolkit's parser words its errors in English before an application
// object exists; these are its texts, said again in the system's language.
const char missingValue[] = QT_TRANSLATE_NOOP("CommandLine", "Missing value after '%1'.");
const char givenTwice[] = QT_TRANSLATE_NOOP("CommandLine", "Option '%1' given more than once.");
const std::initializer_list<const char *> parserErrors
    = {missingValue, QT_TRANSLATE_NOOP("CommandLine", "Unexpected value after '%1'."),
       QT_TRANSLATE_NOOP("CommandLine", "Unknown option '%1'."),
       //: %1 is a list of options, separated by ", ".
       QT_TRANSLATE_NOOP("CommandLine", "Unknown options: %1.")};

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
                             sfp::translate("CommandLineHelp", "Show this help and exit.")};
    QCommandLineOption version {{QStringLiteral("V"), QStringLiteral("version")},
                                sfp::translate("CommandLineHelp",
                                               "Show the revisions of the panel, the instrument "
                                               "driver and the common library, and exit.")};
    QCommandLineOption demo {QStringLiteral("demo"),
                             sfp::translate("CommandLineHelp",
                                            "Start in demo mode, without hardware (as \"Run In "
                                            "Demo Mode\").")};
    QCommandLineOption scan {
        QStringLiteral("scan"),
        sfp::translate("CommandLineHelp", "Search for the card at once (as \"Auto Find\").")};
    QCommandLineOption address {QStringLiteral("address"),
                                sfp::translate("CommandLineHelp",
                                               "Open the card on the motherboard with this VISA "
                                               "resource descriptor (with --fc). Not stored in "
                                               "DefaultInstrDescr.ini."),
                                QStringLiteral("DESCRIPTOR")};
    QCommandLineOption fc {QStringLiteral("fc"),
                           sfp::translate("CommandLineHelp",
                                          "Function-card number on that motherboard, 1 to 8 (with "
                                          "--address)."),
                           QStringLiteral("N")};
    QCommandLineOption libraryPath {
        QStringLiteral("library-path"),
        sfp::translate("CommandLineHelp",
                       "Load VISA, the common library and the instrument driver from this folder "
                       "and nowhere else; without them there, the program ends."),
        QStringLiteral("DIR")};
    QCommandLineOption simulate {QStringLiteral("simulate"),
                                 sfp::translate("CommandLineHelp",
                                                "Run on the simulated platform that comes with "
                                                "the panel, whatever vendor libraries are "
                                                "installed.")};
    QCommandLineOption listen {
        QStringLiteral("listen"),
        sfp::translate("CommandLineHelp",
                       "Take SCPI commands on this TCP port once connected (card or demo mode), "
                       "on the loopback interface unless an address is named: 5025, "
                       "127.0.0.1:5025, [::1]:5025, 0.0.0.0:5025, [::]:5025 (every address, "
                       "IPv4 ones too)."),
        QStringLiteral("[ADDRESS:]PORT")};
    QCommandLineOption http {
        QStringLiteral("http"),
        sfp::translate("CommandLineHelp",
                       "Serve the card's web page, LXI identification and REST on this TCP port "
                       "once connected, on the loopback interface unless an address is named, "
                       "as --listen reads it."),
        QStringLiteral("[ADDRESS:]PORT")};
    QCommandLineOption allow {
        QStringLiteral("allow"),
        sfp::translate("CommandLineHelp",
                       "Who besides the loopback may connect to --listen and --http: addresses "
                       "and networks, comma-separated (192.168.7.0/24,fd00::/64,10.1.2.3), or "
                       "the word any. Needed for an address beyond the loopback; others are "
                       "refused before they reach the card."),
        QStringLiteral("LIST")};
    QCommandLineOption setPassword {
        QStringLiteral("set-password"),
        sfp::translate("CommandLineHelp",
                       "Read a password for the web face (twice from a terminal, else one line of "
                       "standard input), write its salted hash to FILE (mode 0600), and exit."),
        QStringLiteral("FILE")};
    QCommandLineOption passwordFile {
        QStringLiteral("password-file"),
        sfp::translate("CommandLineHelp",
                       "With --http: changes from beyond the loopback need this password (a "
                       "file that --set-password wrote), given over HTTPS; without it they are "
                       "refused."),
        QStringLiteral("FILE")};
    QCommandLineOption httpCertificate {
        QStringLiteral("http-certificate"),
        sfp::translate("CommandLineHelp",
                       "With --http and --http-key: serve HTTPS with this PEM certificate."),
        QStringLiteral("FILE")};
    QCommandLineOption httpKey {
        QStringLiteral("http-key"),
        sfp::translate("CommandLineHelp",
                       "With --http and --http-certificate: the certificate's PEM private key "
                       "(mode 0600)."),
        QStringLiteral("FILE")};
    QCommandLineOption idleTimeout {
        QStringLiteral("idle-timeout"),
        sfp::translate("CommandLineHelp",
                       "With --listen: close the connection of a remote client that has sent "
                       "nothing for this many seconds (by default a client may stay silent as "
                       "long as it likes)."),
        QStringLiteral("SECONDS")};
    QCommandLineOption breakBeforeMake {
        QStringLiteral("break-before-make"),
        sfp::translate("CommandLineHelp",
                       "Under the exclusive rule, open a relay's partner before the clicked relay "
                       "closes (by default the relay closes first).")};
    QCommandLineOption fixture {
        QStringLiteral("fixture"),
        sfp::translate("CommandLineHelp",
                       "Read the card's fixture (relay labels, rules, rated life, named states) "
                       "from this JSON file instead of the card's own file under "
                       "~/.config/qx5170fp/fixtures."),
        QStringLiteral("FILE")};
    QCommandLineOption noLog {
        QStringLiteral("no-log"),
        sfp::translate("CommandLineHelp",
                       "Keep no switching log (by default every change of the card is logged to "
                       "~/.local/state/qx5170fp/<card id>/switching.jsonl).")};
    QCommandLineOption logToScpi {
        QStringLiteral("log-to-scpi"),
        sfp::translate("CommandLineHelp",
                       "Print the SCPI lines that make the changes of a switching log again, and "
                       "exit."),
        QStringLiteral("LOG")};
    QCommandLineOption logToVcd {
        QStringLiteral("log-to-vcd"),
        sfp::translate("CommandLineHelp",
                       "Write the relays of a switching log as a Value Change Dump to OUT.vcd (for "
                       "sigrok and PulseView), and exit: --log-to-vcd LOG OUT.vcd."),
        QStringLiteral("LOG")};
    QCommandLineOption since {
        QStringLiteral("since"),
        sfp::translate("CommandLineHelp",
                       "With --log-to-scpi or --log-to-vcd: only the changes from this time on "
                       "(ISO 8601, 2026-12-09T14:05:00)."),
        QStringLiteral("TIME")};
    QCommandLineOption until {
        QStringLiteral("until"),
        sfp::translate("CommandLineHelp",
                       "With --log-to-scpi or --log-to-vcd: only the changes up to this time."),
        QStringLiteral("TIME")};
    QCommandLineOption headless {
        QStringLiteral("headless"),
        sfp::translate("CommandLineHelp",
                       "Serve the card without a window or a display: needs a card (--address "
                       "with --fc, --demo or --scan) and --listen or --http. Ends on SIGTERM or "
                       "SIGINT; "
                       "SIGHUP reads the fixture file again.")};
    QCommandLineOption optionsFile {
        QStringLiteral("options-file"),
        sfp::translate("CommandLineHelp",
                       "Read more options from this file, one to a line as on the command line "
                       "(\"--listen 0.0.0.0:5025\"); blank lines and lines that begin with # "
                       "are skipped."),
        QStringLiteral("FILE")};
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
        return {&help,         &version,         &demo,
                &scan,         &address,         &fc,
                &libraryPath,  &simulate,        &listen,
                &http,         &allow,           &setPassword,
                &passwordFile, &httpCertificate, &httpKey,
                &idleTimeout,  &breakBeforeMake, &fixture,
                &noLog,        &logToScpi,       &logToVcd,
                &since,        &until,           &headless,
                &optionsFile};
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
        parser.setApplicationDescription(sfp::translate("CommandLineHelp", description));
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

// Reads --listen's (and --http's) [ADDRESS:]PORT: an IPv4 address, an
// IPv6 address in brackets, or "localhost"; without an address, the IPv4
// loopback. "[::]" is every address, IPv4 ones too, as it is to most
// servers.
bool parseEndpoint(const QString &value, QHostAddress *boundAddress, quint16 *boundPort,
                   bool *named)
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
    *boundAddress = address;
    *boundPort = quint16(port);
    *named = !host.isEmpty();
    return true;
}

} // namespace

void qx5170fpSay(const QString &text)
{
    std::fprintf(stderr, "qx5170fp: %s\n", qUtf8Printable(text));
}

namespace {

// The parser reads the words as Latin-1, which maps every byte to one
// character and back: the toolkit's options reach it byte for byte (a file
// name, say), and ours are decoded as the system's encoding afterwards.
class ReadWords
{
public:
    explicit ReadWords(const QList<QByteArray> &words)
    {
        configured(m_parser, m_options);
        QStringList latin1;
        for (const QByteArray &word : words)
            latin1.append(QString::fromLatin1(word));
        m_parsed = m_parser.parse(latin1);
    }

    bool parsed() const { return m_parsed; }
    QString errorText() const { return inOurLanguage(decoded(m_parser.errorText())); }
    bool isSet(const QCommandLineOption &option) const { return m_parser.isSet(option); }
    bool isSet(const QString &name) const { return m_parser.isSet(name); }
    QString value(const QCommandLineOption &option) const
    {
        return decoded(m_parser.value(option));
    }
    QString value(const QString &name) const { return decoded(m_parser.value(name)); }
    QStringList positional() const
    {
        QStringList words;
        for (const QString &word : m_parser.positionalArguments())
            words.append(decoded(word));
        return words;
    }
    const Options &options() const { return m_options; }
    const QCommandLineParser &parser() const { return m_parser; }

private:
    // The parser's error in the system's language: its text is one of
    // parserErrors with the word in place of %1.
    static QString inOurLanguage(const QString &text)
    {
        for (const char *source : parserErrors) {
            const QString english = QString::fromLatin1(source);
            const qsizetype at = english.indexOf(QLatin1String("%1"));
            const QString before = english.left(at);
            const QString after = english.mid(at + 2);
            if (text.size() >= before.size() + after.size() && text.startsWith(before)
                && text.endsWith(after))
                return sfp::translate("CommandLine", source)
                    .arg(text.mid(before.size(), text.size() - before.size() - after.size()));
        }
        return text;
    }

    static QString decoded(const QString &latin1)
    {
        return QString::fromLocal8Bit(latin1.toLatin1());
    }

    Options m_options;
    QCommandLineParser m_parser;
    bool m_parsed = false;
};

// Each group of options read into `result`: empty text, or the error line.

QString readEachOnce(const ReadWords &words)
{
    const Options &options = words.options();
    // The toolkit's parser takes the next word as the value even when it is
    // another option ("--address --fc 2"): no descriptor or number starts
    // so.
    for (const QCommandLineOption *option :
         {&options.address, &options.fc, &options.libraryPath, &options.listen, &options.http,
          &options.allow, &options.setPassword, &options.passwordFile, &options.httpCertificate,
          &options.httpKey, &options.idleTimeout, &options.fixture, &options.logToScpi,
          &options.logToVcd, &options.since, &options.until, &options.optionsFile}) {
        if (words.isSet(*option) && looksLikeOption(words.value(*option)))
            return sfp::translate("CommandLine", missingValue)
                .arg(QLatin1String("--") + option->names().constFirst());
    }
    // Only the dump's file stands alone on the command line.
    const QStringList positional = words.positional();
    if (words.isSet(options.logToVcd) && positional.size() != 1)
        return sfp::translate("CommandLine",
                              "--log-to-vcd takes the log and the file to write: "
                              "--log-to-vcd LOG OUT.vcd.");
    if (!words.isSet(options.logToVcd) && !positional.isEmpty())
        return sfp::translate("CommandLine", "Unexpected argument '%1'.")
            .arg(positional.constFirst());
    // Every option once, by whichever of its names (-h and --help are one
    // option): a second one would leave it unclear which counts.
    QStringList given;
    for (const QString &name : words.parser().optionNames())
        given.append(options.longName(name));
    for (const QString &name : given) {
        if (given.count(name) > 1)
            return sfp::translate("CommandLine", givenTwice).arg(name);
    }
    return {};
}

// Where the platform libraries come from, also for the version, which
// names them.
QString readPlatform(const ReadWords &words, qx5170fpCommandLine *result)
{
    const Options &options = words.options();
    result->simulate = words.isSet(options.simulate);
    result->libraryPath = words.value(options.libraryPath);
    if (words.isSet(options.libraryPath) && result->libraryPath.isEmpty())
        return sfp::translate("CommandLine", "--library-path needs a folder.");
    if (result->simulate && words.isSet(options.libraryPath))
        return sfp::translate("CommandLine", "Choose only one of --simulate and --library-path.");
    return {};
}

// The switching log's tools read a file and end; they drive no card.
QString readLogTools(const ReadWords &words, qx5170fpCommandLine *result)
{
    const Options &options = words.options();
    const bool scpi = words.isSet(options.logToScpi);
    const bool vcd = words.isSet(options.logToVcd);
    if (scpi && vcd)
        return sfp::translate("CommandLine", "Choose only one of --log-to-scpi and --log-to-vcd.");
    for (const QCommandLineOption *bound : {&options.since, &options.until}) {
        const QString name = bound->names().constFirst();
        if (!words.isSet(*bound))
            continue;
        if (!scpi && !vcd)
            return sfp::translate("CommandLine", "--%1 is for --log-to-scpi and --log-to-vcd.")
                .arg(name);
        const QString value = words.value(*bound);
        const QDateTime time = QDateTime::fromString(value, Qt::ISODateWithMs);
        if (!time.isValid())
            return sfp::translate("CommandLine",
                                  "--%1 takes a time as ISO 8601 writes it "
                                  "(2026-12-09T14:05:00, with an offset or Z where it is "
                                  "not local time), not '%2'.")
                .arg(name, value);
        (bound == &options.since ? result->since : result->until) = time;
    }
    if (!scpi && !vcd)
        return {};
    result->action = scpi ? qx5170fpCommandLine::LogToScpi : qx5170fpCommandLine::LogToVcd;
    result->log = words.value(scpi ? options.logToScpi : options.logToVcd);
    if (result->log.isEmpty())
        return sfp::translate("CommandLine", "--%1 needs a log file.")
            .arg(scpi ? "log-to-scpi" : "log-to-vcd");
    if (vcd)
        result->vcd = words.positional().constFirst();
    result->fixture = words.value(options.fixture);
    return {};
}

// Who may connect: beyond the loopback, only as --allow says, and an
// address beyond it is a choice said once, for every face.
QString readAccess(const ReadWords &words, qx5170fpCommandLine *result)
{
    const Options &options = words.options();
    if (words.isSet(options.allow)) {
        if (!result->listen && !result->http)
            return sfp::translate("CommandLine",
                                  "--allow is for --listen and --http: give one of them.");
        QString why;
        const std::optional<sfp::AccessRules> rules
            = sfp::AccessRules::parse(words.value(options.allow), &why);
        if (!rules)
            //: %1 says what is wrong with the list.
            return sfp::translate("CommandLine",
                                  "--allow takes addresses and networks (10.1.2.3, "
                                  "192.168.7.0/24, fd00::/64) or any: %1.")
                .arg(why);
        result->access = *rules;
        return {};
    }
    for (const auto &[given, option, address] :
         {std::tuple(result->listen, "listen", result->listenAddress),
          std::tuple(result->http, "http", result->httpAddress)}) {
        if (given && !address.isLoopback())
            //: %1 is the option's name (listen, http), %2 its value.
            return sfp::translate("CommandLine",
                                  "--%1 %2 reaches beyond the loopback: say who may connect "
                                  "with --allow (addresses, networks, or any).")
                .arg(QLatin1String(option), words.value(QLatin1String(option)));
    }
    return {};
}

QString readRemote(const ReadWords &words, qx5170fpCommandLine *result)
{
    const Options &options = words.options();
    if (words.isSet(options.listen)) {
        const QString value = words.value(options.listen);
        if (!parseEndpoint(value, &result->listenAddress, &result->listenPort,
                           &result->listenAddressNamed))
            return sfp::translate("CommandLine",
                                  "--listen takes [ADDRESS:]PORT with a numeric address and a "
                                  "port from 1 to 65535, not '%1'.")
                .arg(value);
        result->listen = true;
    }
    if (words.isSet(options.http)) {
        const QString value = words.value(options.http);
        bool named = false;
        if (!parseEndpoint(value, &result->httpAddress, &result->httpPort, &named))
            return sfp::translate("CommandLine",
                                  "--http takes [ADDRESS:]PORT with a numeric address and a "
                                  "port from 1 to 65535, not '%1'.")
                .arg(value);
        result->http = true;
        if (result->listen && result->httpPort == result->listenPort
            && (result->httpAddress == result->listenAddress
                || result->httpAddress == QHostAddress::Any
                || result->listenAddress == QHostAddress::Any))
            return sfp::translate("CommandLine", "--http and --listen cannot share port %1.")
                .arg(result->httpPort);
    }
    if (QString why = readAccess(words, result); !why.isEmpty())
        return why;
    if (words.isSet(options.idleTimeout)) {
        const QString value = words.value(options.idleTimeout);
        bool isNumber = false;
        const uint seconds = value.toUInt(&isNumber, 10);
        if (!isNumber || seconds < 1 || seconds > maxIdleTimeoutSeconds || !value.at(0).isDigit())
            return sfp::translate("CommandLine",
                                  "--idle-timeout takes a whole number of seconds from 1 to %1, "
                                  "not '%2'.")
                .arg(maxIdleTimeoutSeconds)
                .arg(value);
        if (!result->listen)
            return sfp::translate("CommandLine",
                                  "--idle-timeout is for the remote control: give --listen too.");
        result->idleTimeoutSeconds = int(seconds);
    }
    return {};
}

// --set-password writes a file and ends; it drives no card.
QString readSetPassword(const ReadWords &words, qx5170fpCommandLine *result)
{
    const Options &options = words.options();
    if (!words.isSet(options.setPassword))
        return {};
    result->passwordFile = words.value(options.setPassword);
    if (result->passwordFile.isEmpty())
        return sfp::translate("CommandLine", "--set-password needs a file.");
    result->action = qx5170fpCommandLine::SetPassword;
    return {};
}

// Who may change the card through the web face, and over what.
QString readWebAccess(const ReadWords &words, qx5170fpCommandLine *result)
{
    const Options &options = words.options();
    const QList<const QCommandLineOption *> files {&options.passwordFile, &options.httpCertificate,
                                                   &options.httpKey};
    for (const QCommandLineOption *option : files) {
        if (!words.isSet(*option))
            continue;
        const QString name = option->names().constFirst();
        if (!result->http)
            return sfp::translate("CommandLine", "--%1 is for the web face: give --http too.")
                .arg(name);
        if (words.value(*option).isEmpty())
            return sfp::translate("CommandLine", "--%1 needs a file.").arg(name);
    }
    if (words.isSet(options.httpCertificate) != words.isSet(options.httpKey))
        return sfp::translate("CommandLine",
                              "--http-certificate and --http-key go together: give both.");
    result->passwordFile = words.value(options.passwordFile);
    result->httpCertificate = words.value(options.httpCertificate);
    result->httpKey = words.value(options.httpKey);
    return {};
}

// The fixture, the log, the order of clicks, and where the toolkit shows
// the panel.
QString readPanel(const ReadWords &words, qx5170fpCommandLine *result)
{
    const Options &options = words.options();
    result->noLog = words.isSet(options.noLog);
    result->breakBeforeMake = words.isSet(options.breakBeforeMake);
    result->fixture = words.value(options.fixture);
    if (words.isSet(options.fixture) && result->fixture.isEmpty())
        return sfp::translate("CommandLine", "--fixture needs a file.");
    // An empty name leaves the toolkit without any platform to try; it would
    // abort.
    result->platform = words.value(QStringLiteral("platform"));
    if (words.isSet(QStringLiteral("platform")) && result->platform.isEmpty())
        return sfp::translate("CommandLine", "-platform needs the name of a platform.");
    result->display = words.value(QStringLiteral("display"));
    return {};
}

// How to connect without the first question.
QString readStart(const ReadWords &words, qx5170fpCommandLine *result)
{
    const Options &options = words.options();
    const int ways = int(words.isSet(options.demo)) + int(words.isSet(options.scan))
        + int(words.isSet(options.address) || words.isSet(options.fc));
    if (ways > 1)
        return sfp::translate("CommandLine", "Choose only one of --demo, --scan and --address.");
    if (words.isSet(options.address) != words.isSet(options.fc))
        return sfp::translate("CommandLine", "--address and --fc go together: give both.");
    if (words.isSet(options.demo)) {
        result->start.kind = sfpStartChoice::Demo;
        return {};
    }
    if (words.isSet(options.scan)) {
        result->start.kind = sfpStartChoice::AutoFind;
        return {};
    }
    if (!words.isSet(options.address))
        return {};
    const QString descriptor = words.value(options.address);
    if (descriptor.isEmpty())
        return sfp::translate("CommandLine", "--address needs a VISA resource descriptor.");
    // Descriptors are Latin-1 text for the driver, without control
    // characters. A comma would make the driver read a list of cards, while
    // the panel counts one.
    for (const QChar ch : descriptor) {
        if (ch.unicode() > 0xff || ch.category() == QChar::Other_Control || ch == QLatin1Char(','))
            return sfp::translate("CommandLine", "--address '%1' is no VISA resource descriptor.")
                .arg(descriptor);
    }
    bool isNumber = false;
    const QString fcText = words.value(options.fc);
    const int fcNumber = fcText.toInt(&isNumber, 10);
    if (!isNumber || fcNumber < 1 || fcNumber > 8)
        return sfp::translate("CommandLine",
                              "--fc must be a function-card number from 1 to 8, not '%1'.")
            .arg(fcText);
    result->start.kind = sfpStartChoice::Address;
    result->start.descriptor = descriptor;
    result->start.fcNumber = fcNumber;
    return {};
}

// Without a window the panel serves a card it finds by itself, to clients
// of a remote face; the toolkit's options have nothing to show.
QString readHeadless(const ReadWords &words, qx5170fpCommandLine *result)
{
    result->headless = words.isSet(words.options().headless);
    if (!result->headless)
        return {};
    for (const QCommandLineOption &option : words.options().toolkit) {
        if (words.isSet(option))
            return sfp::translate("CommandLine", "-%1 is for the window; --headless shows none.")
                .arg(option.names().constFirst());
    }
    if (result->start.kind == sfpStartChoice::Ask)
        return sfp::translate("CommandLine",
                              "--headless needs a card: give --address with --fc, --demo or "
                              "--scan.");
    if (!result->listen && !result->http)
        return sfp::translate("CommandLine",
                              "--headless needs a way in for clients: give --listen or --http.");
    return {};
}

// The toolkit's options in the form it reads (-platform NAME also for
// --platform=NAME), byte for byte, in the order given; built from what the
// parser read rather than from the words, so that a value that looks like
// an option ("-qwindowtitle -x-") stays a value.
QList<QByteArray> toolkitWords(const ReadWords &words, const QByteArray &programName)
{
    QList<QByteArray> toolkit {programName};
    QStringList seen;
    for (const QString &name : words.parser().optionNames()) {
        const int occurrence = int(seen.count(name));
        seen.append(name);
        for (const QCommandLineOption &option : words.options().toolkit) {
            if (option.names().constFirst() != name)
                continue;
            toolkit.append('-' + name.toLatin1());
            if (!option.valueName().isEmpty())
                toolkit.append(words.parser().values(name).value(occurrence).toLatin1());
        }
    }
    return toolkit;
}

QString helpText(const ReadWords &words)
{
    QString text = words.parser().helpText();
    // Without an application object the toolkit neither knows our name nor
    // speaks the system's language: its two headings are said here.
    text.replace(
        QLatin1String("Usage: <executable_name> [options]\n"),
        //: The first line of --help; %1 is the program's name.
        sfp::translate("CommandLineHelp", "Usage: %1 [options]").arg(QLatin1String("qx5170fp"))
            + QLatin1Char('\n'));
    text.replace(QLatin1String("<executable_name>"), QLatin1String("qx5170fp"));
    //: The heading of --help's list of options.
    text.replace(QLatin1String("\nOptions:\n"),
                 QLatin1Char('\n') + sfp::translate("CommandLineHelp", "Options:")
                     + QLatin1Char('\n'));
    text += QLatin1Char('\n');
    //: The end of --help, on a terminal: break lines before column 80, as the
    //: English does.
    text += sfp::translate(
        "CommandLineHelp",
        "The platform libraries come from the first place named of --library-path,\n"
        "QX5170FP_LIBRARY_PATH (folders separated by ':') and the key LibraryPath of\n"
        "$XDG_CONFIG_HOME/qx5170fp/qx5170fp.conf (by default ~/.config/...), else of\n"
        "qx5170fp/qx5170fp.conf in $XDG_CONFIG_DIRS (by default /etc/xdg); a place\n"
        "named that does not hold them ends the program. Without one, the dynamic\n"
        "linker's folders are searched, and then the simulated platform is used.");
    text += QLatin1String("\n\n");
    //: The end of --help, on a terminal: break lines before column 80, as the
    //: English does.
    text += sfp::translate(
        "CommandLineHelp",
        "The toolkit's own options (-platform, -style, -display, ...) are accepted too.\n"
        "Exit status: 0, also when the operator cancels or SIGTERM ends --headless;\n"
        "1 when there is no display to show the panel on, when the platform libraries\n"
        "are not where a place names them, when the port of --listen cannot be had,\n"
        "when help or the version cannot be written, or when --headless cannot open\n"
        "or find its card; 2 when the command line or its options file is wrong, or\n"
        "when the card's fixture file cannot be used (it cannot be read, is not JSON\n"
        "or breaks the format).");
    text += QLatin1Char('\n');
    return text;
}

} // namespace

namespace {

// An options file holds what a few lines of options need.
constexpr qint64 maxOptionsFileSize = qint64(64) * 1024;

// The words of an options file's line: the option, and the rest of the
// line, blanks and all, as its value (a file name may hold blanks). None
// for a blank line or a comment.
QList<QByteArray> lineWords(const QByteArray &line)
{
    const QByteArray text = line.trimmed();
    if (text.isEmpty() || text.startsWith('#'))
        return {};
    qsizetype blank = 0;
    while (blank < text.size() && !std::isspace(static_cast<unsigned char>(text.at(blank))))
        ++blank;
    if (blank == text.size())
        return {text};
    return {text.left(blank), text.mid(blank).trimmed()};
}

// The file of --options-file (or --options-file=FILE, with one dash too)
// among the words, and where its option is: -1 for none.
qsizetype optionsFileAt(const QList<QByteArray> &words, QByteArray *path)
{
    for (qsizetype i = 1; i < words.size(); ++i) {
        const QByteArray &word = words.at(i);
        if (word == "--")
            return -1;
        for (const char *name : {"--options-file", "-options-file"}) {
            if (word == name) {
                *path = words.value(i + 1);
                return i;
            }
            if (word.startsWith(QByteArray(name) + '=')) {
                *path = word.mid(qsizetype(std::strlen(name)) + 1);
                return i;
            }
        }
    }
    return -1;
}

qx5170fpCommandLine parseWords(const QList<QByteArray> &words);

// The command line with the options file's lines in place of its option,
// each line's words read as if typed there. A fault of the file itself, or
// of one of its lines, names the file (and the line).
qx5170fpCommandLine parseWithOptionsFile(const QList<QByteArray> &words, qsizetype at,
                                         const QByteArray &pathBytes)
{
    const QString path = QString::fromLocal8Bit(pathBytes);
    if (path.isEmpty() || looksLikeOption(path))
        return error(sfp::translate("CommandLine", "--options-file needs a file."));
    bool absent = false;
    QString why;
    const QByteArray text = sfp::readSmallFile(path, maxOptionsFileSize, &absent, &why);
    if (absent)
        return error(
            sfp::translate("CommandLine", "the options file %1: there is no such file").arg(path));
    if (!why.isEmpty())
        //: %1 is the file's path, %2 what is wrong with it, in English as the
        //: file's reader says it ("is not a regular file").
        return error(sfp::translate("CommandLine", "the options file %1 %2").arg(path, why));
    const QList<QByteArray> lines = text.split('\n');
    QList<QByteArray> expanded = words.mid(0, at);
    for (qsizetype number = 0; number < lines.size(); ++number) {
        const QList<QByteArray> line = lineWords(lines.at(number));
        if (line.isEmpty())
            continue;
        const QString where = QStringLiteral("%1:%2").arg(path).arg(number + 1);
        if (!line.constFirst().startsWith('-'))
            //: %1 is the file's path and line ("opts:3"), %2 the line's first word.
            return error(sfp::translate("CommandLine", "the options file %1: '%2' is no option")
                             .arg(where, QString::fromLocal8Bit(line.constFirst())));
        QByteArray nested;
        if (optionsFileAt(QList<QByteArray> {words.value(0)} + line, &nested) >= 0)
            return error(
                //: %1 is the file's path and line ("opts:3").
                sfp::translate("CommandLine", "the options file %1: an options file names no other")
                    .arg(where));
        expanded += line;
    }
    const QList<QByteArray> after = words.mid(at + (words.at(at).contains('=') ? 1 : 2));
    expanded += after;
    qx5170fpCommandLine result = parseWords(expanded);
    if (result.action != qx5170fpCommandLine::Error)
        return result;
    // The line to mend is the first whose words, with those before it
    // (and the command line's after the file), give the same fault, which names its option: an
    // unknown option, a value out of range, a second way to the card. A fault of what is missing
    // ("give --listen") is no line's. Every option is taken once, so few lines parse before the
    // fault shows.
    QList<QByteArray> before = words.mid(0, at);
    for (qsizetype number = 0; number < lines.size(); ++number) {
        const QList<QByteArray> line = lineWords(lines.at(number));
        if (line.isEmpty())
            continue;
        before += line;
        QByteArray option = line.constFirst();
        while (option.startsWith('-'))
            option.remove(0, 1);
        option = option.left(option.indexOf('=') < 0 ? option.size() : option.indexOf('='));
        if (result.error.contains(QString::fromLocal8Bit(option))
            && parseWords(before + after).error == result.error) {
            //: %1 is the file's path, %2 the number of its line, %3 the fault of that line.
            result.error = sfp::translate("CommandLine", "the options file %1:%2: %3")
                               .arg(withCEscapes(path))
                               .arg(number + 1)
                               .arg(result.error);
            return result;
        }
    }
    return result;
}

} // namespace

qx5170fpCommandLine qx5170fpParseCommandLine(const QList<QByteArray> &words)
{
    QByteArray path;
    const qsizetype at = optionsFileAt(words, &path);
    if (at >= 0)
        return parseWithOptionsFile(words, at, path);
    return parseWords(words);
}

namespace {

qx5170fpCommandLine parseWords(const QList<QByteArray> &words)
{
    const ReadWords read(words);
    if (!read.parsed())
        return error(read.errorText());
    // The first one was read in place; a second is left.
    if (read.isSet(read.options().optionsFile))
        return error(sfp::translate("CommandLine", givenTwice).arg(QLatin1String("options-file")));
    qx5170fpCommandLine result;
    if (const QString fault = readEachOnce(read); !fault.isEmpty())
        return error(fault);
    if (read.isSet(read.options().help)) {
        result.action = qx5170fpCommandLine::Help;
        result.help = helpText(read);
        return result;
    }
    if (const QString fault = readPlatform(read, &result); !fault.isEmpty())
        return error(fault);
    if (read.isSet(read.options().version)) {
        result.action = qx5170fpCommandLine::Version;
        return result;
    }
    for (const auto &group : {readSetPassword, readLogTools, readRemote, readWebAccess, readPanel,
                              readStart, readHeadless}) {
        if (const QString fault = group(read, &result); !fault.isEmpty())
            return error(fault);
        if (result.action != qx5170fpCommandLine::Run)
            return result;
    }
    result.toolkitArguments = toolkitWords(read, words.value(0));
    return result;
}

} // namespace

qx5170fpCommandLine qx5170fpParseCommandLine(const QStringList &arguments)
{
    QList<QByteArray> words;
    for (const QString &argument : arguments)
        words.append(argument.toLocal8Bit());
    return qx5170fpParseCommandLine(words);
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
