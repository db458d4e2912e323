#include "commandline.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <initializer_list>

namespace {

const char description[]
    = "Soft front panel of the Orbelan 5170 32-channel relay card.\n"
      "Without options it asks how to connect: Auto Find, Run In Demo Mode or Enter Address.";

// The toolkit's own options that take a value: accepted here, used by the
// toolkit, never shown in our help.
const std::initializer_list<const char *> toolkitOptionsWithValue = {"platform",
                                                                     "platformpluginpath",
                                                                     "platformtheme",
                                                                     "plugin",
                                                                     "display",
                                                                     "style",
                                                                     "stylesheet",
                                                                     "session",
                                                                     "qwindowgeometry",
                                                                     "geometry",
                                                                     "qwindowtitle",
                                                                     "title",
                                                                     "qwindowicon",
                                                                     "qmljsdebugger",
                                                                     "name",
                                                                     "fn",
                                                                     "font",
                                                                     "bg",
                                                                     "background",
                                                                     "fg",
                                                                     "foreground",
                                                                     "btn",
                                                                     "button",
                                                                     "visual",
                                                                     "ncols",
                                                                     "cmap",
                                                                     "dialogs"};
const std::initializer_list<const char *> toolkitFlags
    = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

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

    void addTo(QCommandLineParser &parser) const
    {
        parser.setApplicationDescription(QLatin1String(description));
        for (const QCommandLineOption *option : {&help, &version, &demo, &scan, &address, &fc})
            parser.addOption(*option);
        for (const char *name : toolkitOptionsWithValue) {
            QCommandLineOption option(QLatin1String(name), QString(), QStringLiteral("value"));
            option.setFlags(QCommandLineOption::HiddenFromHelp);
            parser.addOption(option);
        }
        for (const char *name : toolkitFlags) {
            QCommandLineOption option {QLatin1String(name), QString()};
            option.setFlags(QCommandLineOption::HiddenFromHelp);
            parser.addOption(option);
        }
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

bool looksLikeOption(const QString &value)
{
    return value.startsWith(QLatin1String("--"))
        || (value.size() > 1 && value.at(0) == QLatin1Char('-') && !value.at(1).isDigit());
}

qx5170fpCommandLine error(const QString &text)
{
    qx5170fpCommandLine result;
    result.action = qx5170fpCommandLine::Error;
    result.error = text;
    return result;
}

} // namespace

qx5170fpCommandLine qx5170fpParseCommandLine(const QStringList &arguments)
{
    const Options options;
    QCommandLineParser parser;
    if (!configured(parser, options).parse(arguments))
        return error(parser.errorText());
    // The toolkit's parser takes the next word as the value even when it is
    // another option ("--address --fc 2"): no descriptor or number starts
    // so.
    for (const QCommandLineOption *option : {&options.address, &options.fc}) {
        const QString value = parser.value(*option);
        if (parser.isSet(*option) && looksLikeOption(value))
            return error(
                QStringLiteral("Missing value after '--%1'.").arg(option->names().constFirst()));
    }
    if (!parser.positionalArguments().isEmpty())
        return error(QStringLiteral("Unexpected argument '%1'.")
                         .arg(parser.positionalArguments().constFirst()));

    // Every option once: a second one would leave it unclear which counts.
    const QStringList given = parser.optionNames();
    for (const QString &name : given) {
        if (given.count(name) > 1)
            return error(QStringLiteral("Option '%1' given more than once.").arg(name));
    }

    qx5170fpCommandLine result;
    if (parser.isSet(options.help)) {
        result.action = qx5170fpCommandLine::Help;
        return result;
    }
    if (parser.isSet(options.version)) {
        result.action = qx5170fpCommandLine::Version;
        return result;
    }

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
        // Descriptors are Latin-1 text for the driver.
        for (const QChar ch : descriptor) {
            if (ch.unicode() > 0xff || ch.unicode() < 0x20)
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

QString qx5170fpHelpText()
{
    const Options options;
    QCommandLineParser parser;
    QString text = configured(parser, options).helpText();
    // Without an application object the toolkit does not know our name.
    text.replace(QLatin1String("<executable_name>"), QLatin1String("qx5170fp"));
    text += QLatin1String(
        "\nThe toolkit's own options (-platform, -style, -display, ...) are accepted too.\n"
        "Exit status: 0, also when the operator cancels; 2 when the command line is wrong.\n");
    return text;
}
