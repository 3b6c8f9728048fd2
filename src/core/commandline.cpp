#include "commandline.h"

#include "addresslist.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <iterator>

namespace {

QString baudList()
{
    QStringList rates;
    for (int rate : StartLimits::BaudRates)
        rates << QString::number(rate);
    return rates.join(QStringLiteral(", "));
}

QString languageList()
{
    QStringList codes;
    for (const char *code : StartLimits::LanguageCodes)
        codes << QLatin1String(code);
    return codes.join(QStringLiteral(", "));
}

// The options, added to a parser; the same set parses and describes itself.
struct Parser
{
    QCommandLineParser parser;
    QCommandLineOption help{ { "h", "help" }, QStringLiteral("Show this help and exit.") };
    QCommandLineOption version{ { "v", "version" }, QStringLiteral("Show the version and exit.") };
    QCommandLineOption port{ QStringLiteral("port"),
                             QStringLiteral("Select the serial port PATH: a name such as ttyUSB0, "
                                            "a device path, or a /dev/serial/by-id/ name. A "
                                            "path the system does not list (a pseudo-terminal) "
                                            "is added to the list."),
                             QStringLiteral("PATH") };
    QCommandLineOption baud{ QStringLiteral("baud"),
                             QStringLiteral("Baud rate: %1.").arg(baudList()),
                             QStringLiteral("N") };
    QCommandLineOption address{
        QStringLiteral("address"),
        QStringLiteral("Board address, %1 to %2, or the packs to poll on one line, as "
                       "1,3,5-8: the first is the one shown. Polled in place of the packs "
                       "remembered for the port opened.")
            .arg(StartLimits::AddressMin)
            .arg(StartLimits::AddressMax),
        QStringLiteral("N|LIST")
    };
    QCommandLineOption period{ QStringLiteral("period"),
                               QStringLiteral("Poll period in milliseconds, %1 to %2.")
                                   .arg(StartLimits::PeriodMin)
                                   .arg(StartLimits::PeriodMax),
                               QStringLiteral("MS") };
    QCommandLineOption lang{ QStringLiteral("lang"),
                             QStringLiteral("Language of the window: zh (Simplified Chinese), "
                                            "en (English) or de (German)."),
                             QStringLiteral("zh|en|de") };
    QCommandLineOption connect{ QStringLiteral("connect"),
                                QStringLiteral("Open the port given with --port, or else the "
                                               "one remembered, and start polling at once; "
                                               "no other port, and none that is absent.") };
    QCommandLineOption reconnect{ QStringLiteral("reconnect"),
                                  QStringLiteral("Reopen the port and poll on when its adapter "
                                                 "is pulled out and plugged in again.") };

    Parser()
    {
        parser.setApplicationDescription(QStringLiteral(
            "Watches and configures an Arvex battery management board over a serial port.\n"
            "Values given here take the place of the ones remembered from the last run."));
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        for (const QCommandLineOption *option :
             { &help, &version, &port, &baud, &address, &period, &lang, &connect, &reconnect })
            parser.addOption(*option);
    }
};

CommandLine::Result refuse(const QString &why)
{
    CommandLine::Result result;
    result.action = CommandLine::Action::Refuse;
    result.message = why;
    return result;
}

// The value of a numeric option, if it is a whole number within valid.
bool readNumber(const QCommandLineParser &parser, const QCommandLineOption &option,
                bool (*valid)(int), std::optional<int> *out)
{
    if (!parser.isSet(option))
        return true;
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok || !valid(value))
        return false;
    *out = value;
    return true;
}

} // namespace

CommandLine::Result CommandLine::parse(const QStringList &arguments)
{
    Parser p;
    if (!p.parser.parse(arguments))
        return refuse(p.parser.errorText());
    if (p.parser.isSet(p.help)) {
        Result result;
        result.action = Action::Help;
        return result;
    }
    if (p.parser.isSet(p.version)) {
        Result result;
        result.action = Action::Version;
        result.message = QCoreApplication::applicationName() + QLatin1Char(' ')
            + QCoreApplication::applicationVersion();
        return result;
    }
    const QStringList extra = p.parser.positionalArguments();
    if (!extra.isEmpty())
        return refuse(QStringLiteral("Unexpected argument '%1'.").arg(extra.first()));

    Result result;
    StartOptions &options = result.options;
    const auto value = [&p](const QCommandLineOption &option) {
        return QStringLiteral("'%1'").arg(p.parser.value(option));
    };
    if (p.parser.isSet(p.port)) {
        const QString port = p.parser.value(p.port).trimmed();
        if (port.isEmpty())
            return refuse(QStringLiteral("--port needs the name or path of a serial port."));
        options.port = port;
    }
    if (!readNumber(p.parser, p.baud, StartLimits::isBaudRate, &options.baud))
        return refuse(
            QStringLiteral("--baud %1 is not one of the rates %2.").arg(value(p.baud), baudList()));
    if (p.parser.isSet(p.address)) {
        // One address polls that pack alone; a list polls those packs; either takes the place
        // of the list remembered for the port.
        const QVector<int> packs = AddressList::parse(p.parser.value(p.address));
        if (packs.isEmpty())
            return refuse(QStringLiteral("--address %1 is not a board address from %2 to %3, "
                                         "nor a list of them such as 1,3,5-8.")
                              .arg(value(p.address))
                              .arg(StartLimits::AddressMin)
                              .arg(StartLimits::AddressMax));
        options.address = packs.first();
        options.packs = packs.size() > 1 ? packs : QVector<int>();
    }
    if (!readNumber(p.parser, p.period, StartLimits::isPeriod, &options.period))
        return refuse(QStringLiteral("--period %1 is not a poll period from %2 to %3 ms.")
                          .arg(value(p.period))
                          .arg(StartLimits::PeriodMin)
                          .arg(StartLimits::PeriodMax));
    if (p.parser.isSet(p.lang)) {
        const int language = StartLimits::languageIndex(p.parser.value(p.lang));
        if (language < 0)
            return refuse(
                QStringLiteral("--lang %1 is not one of %2.").arg(value(p.lang), languageList()));
        options.language = language;
    }
    options.connect = p.parser.isSet(p.connect);
    if (p.parser.isSet(p.reconnect))
        options.reconnect = true;
    return result;
}

QString CommandLine::helpText()
{
    Parser p;
    return p.parser.helpText();
}
