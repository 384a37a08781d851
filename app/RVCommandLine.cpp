#include "app/RVCommandLine.h"

#include "app/RVAppDelegate.h"
#include "library/RVVideoData.h"
#include "library/RVVideoList.h"
#include "player/window/RVMainViewController.h"

#include "korvela_version.h"

#include <QCoreApplication>
#include <QMainWindow>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

namespace {

// Options the application object takes for itself (with one or two dashes): how many values
// follow, or -1 for an option that is not one of them.
int qtOptionValues(const char* argument)
{
    std::string_view name(argument);
    name.remove_prefix(name.starts_with("--") ? 2 : 1);
    if (const auto equals = name.find('='); equals != std::string_view::npos)
        return name.substr(0, equals) == "qmljsdebugger" ? 0 : -1;
    for (const char* withValue :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "display", "style",
          "stylesheet", "geometry", "qwindowgeometry", "qwindowtitle", "qwindowicon", "name",
          "title", "session", "visual", "cmap"}) {
        if (name == withValue)
            return 1;
    }
    for (const char* flag : {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"}) {
        if (name == flag)
            return 0;
    }
    return -1;
}

} // namespace

std::optional<int> RVCommandLine::answerWithoutDisplay(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            break;
        // A mistyped option is a usage error even where no window could open.
        if (argv[i][0] == '-' && argv[i][1] != '\0' && std::strcmp(argv[i], "--check") != 0 &&
            std::strcmp(argv[i], "-h") != 0 && std::strcmp(argv[i], "--help") != 0 &&
            std::strcmp(argv[i], "-v") != 0 && std::strcmp(argv[i], "--version") != 0) {
            const int values = qtOptionValues(argv[i]);
            if (values < 0) {
                std::fprintf(stderr, "korvela-player: unknown option %s\n%s", argv[i],
                             qPrintable(usage()));
                return kUsageError;
            }
            i += values;
            continue;
        }
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            std::fputs(qPrintable(usage()), stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "-v") == 0 || std::strcmp(argv[i], "--version") == 0) {
            std::printf("korvela-player %s\n", KORVELA_VERSION);
            return 0;
        }
    }
    return std::nullopt;
}

std::optional<RVCommandLine::Options> RVCommandLine::parse(const QStringList& arguments,
                                                           QString& error)
{
    Options options;
    bool onlyPaths = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (onlyPaths || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-"))
            options.paths.append(argument);
        else if (argument == QLatin1String("--"))
            onlyPaths = true;
        else if (argument == QLatin1String("--check"))
            options.check = true;
        else {
            error = QStringLiteral("unknown option %1").arg(argument);
            return std::nullopt;
        }
    }
    return options;
}

QString RVCommandLine::usage()
{
    return QStringLiteral(
        "usage: korvela-player [--check] [PATH...]\n"
        "\n"
        "Plays car dash-camera recordings beside a map of the route. Camera cards are found\n"
        "when mounted; recordings and folders given as PATH are added to the list.\n"
        "\n"
        "options:\n"
        "  --check        open the window on PATH, wait until the list is filled, print how\n"
        "                 many entries it holds and quit (1 when nothing was listed)\n"
        "  -h, --help     show this help\n"
        "  -v, --version  show the version\n"
        "\n"
        "Exit status: 0 done, 1 failure, 2 bad arguments.\n");
}

void RVCommandLine::quitWhenListed(RVAppDelegate& delegate, int timeoutMs)
{
    constexpr int kPollMs = 250;
    constexpr int kStablePolls = 4;
    struct Poll
    {
        int waitedMs = 0;
        int stable = 0;
        std::size_t lastCount = 0;
    };
    auto poll = std::make_shared<Poll>();
    auto* timer = new QTimer(&delegate);
    timer->setInterval(kPollMs);
    QObject::connect(timer, &QTimer::timeout, &delegate, [&delegate, timer, timeoutMs, poll] {
        poll->waitedMs += kPollMs;
        std::size_t entries = 0;
        std::size_t recordings = 0;
        if (RVVideoList* list = delegate.mainViewController()->videoList()) {
            for (const RVVideoDataPtr& node : *list->videosData()) {
                ++entries;
                recordings += std::max<std::size_t>(node->files().size(), 1);
            }
        }
        poll->stable = entries > 0 && entries == poll->lastCount ? poll->stable + 1 : 0;
        poll->lastCount = entries;
        if (poll->stable < kStablePolls && poll->waitedMs < timeoutMs)
            return;
        timer->stop();
        const bool icon = delegate.window() && !delegate.window()->windowIcon().isNull();
        std::printf("korvela-player: %zu recording(s) listed in %zu entr%s; window icon %s\n",
                    recordings, entries, entries == 1 ? "y" : "ies", icon ? "set" : "missing");
        std::fflush(stdout);
        QCoreApplication::exit(entries > 0 && icon ? 0 : 1);
    });
    timer->start();
}
