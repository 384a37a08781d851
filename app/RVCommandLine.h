#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class RVAppDelegate;

// The command line of korvela-player:
//   korvela-player [--check] [PATH...]
//   korvela-player --help | --version
// Exit status: 0 done, 1 failure (--check found nothing to list), 2 bad arguments.
namespace RVCommandLine {

inline constexpr int kUsageError = 2;

struct Options final
{
    QStringList paths;
    // Open the window on the paths, wait until the list is filled, report it and quit.
    bool check = false;
};

// --help, --version and unknown options are answered from argv alone, before the application
// object exists, so they work without a display. Returns the exit status when the program is
// done.
std::optional<int> answerWithoutDisplay(int argc, char** argv);

// The arguments left after Qt took its own (QApplication::arguments(), program name first).
// Empty, with the reason in error, when they are not usable.
std::optional<Options> parse(const QStringList& arguments, QString& error);

QString usage();

// For --check: polls the window's list until it holds entries and stays unchanged for a second,
// prints what it holds and whether the window has its icon, then ends the event loop with 0;
// after timeoutMs without entries it ends it with 1.
void quitWhenListed(RVAppDelegate& delegate, int timeoutMs = 60000);

} // namespace RVCommandLine
