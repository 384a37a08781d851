// korvela-player [PATH...]: opens the player window. Files and folders given on the command
// line are added to the library like the open command adds them.

#include "app/RVAppDelegate.h"
#include "player/RVMainViewController.h"

#include "korvela_version.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char* argv[])
{
    // The video surface and the map's web view share GL contexts.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    // These names place the settings store (~/.config/Korvela/Korvela Player.conf).
    QApplication::setOrganizationName(QStringLiteral("Korvela"));
    QApplication::setApplicationName(QStringLiteral("Korvela Player"));
    QApplication::setApplicationVersion(QStringLiteral(KORVELA_VERSION));
    // Closing the window ends the program.
    QApplication::setQuitOnLastWindowClosed(true);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Player for car dash-camera recordings"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("path"),
                                 QStringLiteral("Recordings or folders to add to the list"),
                                 QStringLiteral("[PATH...]"));
    parser.process(application);

    RVAppDelegate delegate;
    delegate.applicationDidFinishLaunching();
    delegate.mainViewController()->addFiles(parser.positionalArguments());
    return application.exec();
}
