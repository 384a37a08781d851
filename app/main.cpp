// korvela-player [PATH...]: opens the player window. Files and folders given on the command
// line are added to the library like the open command adds them.

#include "player/RVMainViewController.h"

#include "korvela_version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMainWindow>
#include <QScreen>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Korvela"));
    QApplication::setApplicationName(QStringLiteral("Korvela Player"));
    QApplication::setApplicationVersion(QStringLiteral(KORVELA_VERSION));
    QApplication::setQuitOnLastWindowClosed(true);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Player for car dash-camera recordings"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("path"),
                                 QStringLiteral("Recordings or folders to add to the list"),
                                 QStringLiteral("[PATH...]"));
    parser.process(application);

    RVMainViewController controller;
    controller.loadView();
    QMainWindow* window = controller.window();
    window->setWindowTitle(
        QStringLiteral("Korvela Player v%1").arg(QStringLiteral(KORVELA_VERSION)));
    if (const QScreen* screen = QApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        window->move(available.x() + (available.width() - window->width()) / 2,
                     available.y() + (available.height() - window->height()) / 2);
    }
    window->show();
    controller.addFiles(parser.positionalArguments());
    return application.exec();
}
