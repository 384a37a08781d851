#include "tools/korvela-export/RVExportArguments.h"

#include "metadata/RVCameraClock.h"

namespace {

RVArgumentsResult failure(const QString& message)
{
    return {std::nullopt, message};
}

} // namespace

RVArgumentsResult parseExportArguments(const QStringList& arguments)
{
    RVExportArguments parsed;
    bool formatGiven = false;
    bool outputGiven = false;
    bool offsetGiven = false;
    bool zoneGiven = false;
    bool onlyFiles = false;

    // An option's value, from "--name=value" or the next argument.
    auto takeValue = [&](qsizetype& i, const QString& name,
                         QString& value) -> std::optional<QString> {
        const QString& argument = arguments[i];
        if (argument.size() > name.size()) {
            value = argument.mid(name.size() + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return QStringLiteral("%1 needs a value").arg(name);
        }
        if (value.isEmpty())
            return QStringLiteral("%1 needs a value").arg(name);
        return std::nullopt;
    };
    auto isOption = [](const QString& argument, const QString& name) {
        return argument == name || argument.startsWith(name + QLatin1Char('='));
    };

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (onlyFiles || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            parsed.files.append(argument);
        } else if (argument == QLatin1String("--")) {
            onlyFiles = true;
        } else if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            parsed.help = true;
        } else if (argument == QLatin1String("--version")) {
            parsed.version = true;
        } else if (argument == QLatin1String("-q") || argument == QLatin1String("--quiet")) {
            parsed.quiet = true;
        } else if (isOption(argument, QStringLiteral("--format"))) {
            if (formatGiven)
                return failure(QStringLiteral("--format is given twice"));
            formatGiven = true;
            if (auto error = takeValue(i, QStringLiteral("--format"), parsed.format))
                return failure(*error);
        } else if (isOption(argument, QStringLiteral("--output"))) {
            if (outputGiven)
                return failure(QStringLiteral("--output is given twice"));
            outputGiven = true;
            if (auto error = takeValue(i, QStringLiteral("--output"), parsed.outputDir))
                return failure(*error);
        } else if (argument == QLatin1String("--no-sound")) {
            parsed.noSound = parsed.clipOptionGiven = true;
        } else if (argument == QLatin1String("--gpx")) {
            parsed.gpx = parsed.clipOptionGiven = true;
        } else if (QString* value = [&]() -> QString* {
                       for (const auto& [name, field] :
                            {std::pair{"--from", &parsed.from}, std::pair{"--to", &parsed.to},
                             std::pair{"--layout", &parsed.layout},
                             std::pair{"--overlay", &parsed.overlay},
                             std::pair{"--quality", &parsed.quality}})
                           if (isOption(argument, QLatin1String(name)))
                               return field;
                       return nullptr;
                   }()) {
            const QString name = argument.section(QLatin1Char('='), 0, 0);
            if (!value->isEmpty())
                return failure(QStringLiteral("%1 is given twice").arg(name));
            parsed.clipOptionGiven = true;
            if (auto error = takeValue(i, name, *value))
                return failure(*error);
        } else if (isOption(argument, QStringLiteral("--clock-offset"))) {
            if (offsetGiven)
                return failure(QStringLiteral("--clock-offset is given twice"));
            offsetGiven = true;
            QString text;
            if (auto error = takeValue(i, QStringLiteral("--clock-offset"), text))
                return failure(*error);
            parsed.clockOffsetSeconds = RVCameraClock::parseOffset(text);
            if (!parsed.clockOffsetSeconds)
                return failure(QStringLiteral("--clock-offset takes hours and minutes such as "
                                              "+3 or -1:30, not \"%1\"")
                                   .arg(text));
        } else if (isOption(argument, QStringLiteral("--camera-zone"))) {
            if (zoneGiven)
                return failure(QStringLiteral("--camera-zone is given twice"));
            zoneGiven = true;
            QString text;
            if (auto error = takeValue(i, QStringLiteral("--camera-zone"), text))
                return failure(*error);
            parsed.cameraZone = text.toUtf8();
            if (!RVCameraClock::isKnownZone(parsed.cameraZone))
                return failure(QStringLiteral("unknown time zone \"%1\"").arg(text));
        } else {
            return failure(QStringLiteral("unknown option %1").arg(argument));
        }
    }

    if (parsed.help || parsed.version)
        return {parsed, QString()};
    if (!formatGiven)
        return failure(QStringLiteral("--format is missing"));
    if (parsed.files.isEmpty())
        return failure(QStringLiteral("no FILE given"));
    return {parsed, QString()};
}
