// korvela-player [--check] [PATH...]: opens the player window. Files and folders given on the
// command line are added to the library like the open command adds them.

#include "app/RVAppDelegate.h"
#include "app/RVCommandLine.h"
#include "app/RVSingleInstance.h"
#include "player/map/RVMapView.h"
#include "player/window/RVMainViewController.h"

#include "core/RVSettings.h"

#include "korvela_version.h"

#include <QApplication>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    // Answered before the application object exists: they need no display.
    if (const std::optional<int> status = RVCommandLine::answerWithoutDisplay(argc, argv))
        return *status;

    // The video surface and the map's web view share GL contexts.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The map's tiles come through a scheme of the program's own, known before the web engine.
    RVMapView::registerTileScheme();
    QApplication application(argc, argv);
    // These names place the settings store (~/.config/Korvela/Korvela Player.conf).
    QApplication::setOrganizationName(QStringLiteral("Korvela"));
    QApplication::setApplicationName(QStringLiteral("Korvela Player"));
    QApplication::setApplicationVersion(QStringLiteral(KORVELA_VERSION));
    // Ties the window to the installed desktop entry (its icon and name in the task bar).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.korvela.Player"));
    // Closing the window ends the program.
    QApplication::setQuitOnLastWindowClosed(true);
    // Before anything reads a setting: a settings file that is a pipe or absurdly large would
    // hold up the start.
    const std::optional<QString> settingsNote = RVSettings::setAsideUnusableStore();
    if (settingsNote)
        std::fprintf(stderr, "korvela-player: %s\n", qPrintable(*settingsNote));

    QString error;
    const std::optional<RVCommandLine::Options> options =
        RVCommandLine::parse(QApplication::arguments(), error);
    if (!options) {
        std::fprintf(stderr, "korvela-player: %s\n%s", qPrintable(error),
                     qPrintable(RVCommandLine::usage()));
        return RVCommandLine::kUsageError;
    }

    // One window per user: a running player takes our paths and shows itself. A --check run
    // is a window of its own and leaves a running player alone.
    RVSingleInstance instance(RVSingleInstance::defaultServerName());
    if (!options->check) {
        QStringList absolute;
        // Relative paths are ours to resolve; URIs travel as they are.
        for (const QString& path : options->paths)
            absolute.append(
                path.contains(QLatin1String(":/")) ? path : QFileInfo(path).absoluteFilePath());
        if (instance.handOver(absolute))
            return 0;
        instance.listen();
    }

    RVAppDelegate delegate;
    delegate.applicationDidFinishLaunching();
    delegate.mainViewController()->addFiles(options->paths);
    QObject::connect(&instance, &RVSingleInstance::pathsReceived, &delegate,
                     [&delegate](const QStringList& paths) {
                         delegate.mainViewController()->addFiles(paths);
                         QMainWindow* window = delegate.window();
                         if (window->isMinimized())
                             window->showNormal();
                         window->raise();
                         window->activateWindow();
                     });
    if (settingsNote) {
        QTimer::singleShot(0, delegate.window(), [&delegate, note = *settingsNote] {
            //% "Error"
            QMessageBox::warning(delegate.window(), qtTrId("ERROR_TITLE"), note);
        });
    }
    if (options->check)
        RVCommandLine::quitWhenListed(delegate);
    return application.exec();
}
