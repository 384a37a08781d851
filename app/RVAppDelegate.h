#pragma once

#include "timeline/RVGraphs.h"
#include "update/RVAdvertisementUtil.h"
#include "update/RVUpdater.h"

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>

#include <array>
#include <memory>

class QMainWindow;
class QTranslator;
class RVMainViewController;
class RVVideoList;
class RVWindowDialogs;

// What the application object is built with. The defaults are the running program's; tests
// script the dialogs, give a video list that watches no cards and keep the updater and the
// advertisement panel off the network.
struct RVAppDelegateOptions final
{
    // The window's questions and alerts. Null: message boxes.
    std::shared_ptr<RVWindowDialogs> dialogs;
    // The library. Null: the usual one, which watches the camera cards.
    std::shared_ptr<RVVideoList> videoList;
    // Whether the window asks the maker's server for a new version once it is up.
    bool checkForUpdates = true;
    RVUpdaterEnvironment updaterEnvironment;
    // The server of the advertisement panel's page; empty: no panel.
    QString advertisementServer = RVAdvertisementUtil::defaultServerUrl();
};

// The application object: finishes a pending self-update, picks the interface language,
// builds the player window with its menu bar, places it, applies the first-launch defaults
// and the stored settings to the menus, and turns menu commands into calls on the window's
// controller.
//
// Everything runs on the GUI thread. The delegate owns the controller (and through it the
// window) and the translator it installs on the application.
class RVAppDelegate final : public QObject
{
    Q_OBJECT

public:
    explicit RVAppDelegate(RVAppDelegateOptions options = {}, QObject* parent = nullptr);
    ~RVAppDelegate() override;

    // The launch sequence; call once, after the QApplication exists.
    void applicationDidFinishLaunching();

    RVMainViewController* mainViewController() const { return m_mainViewController.get(); }
    QMainWindow* window() const;
    // The interface language: "en", "ru" or "de", chosen at launch or in the language menu.
    const QString& language() const { return m_language; }

    // The two menus the views also show on right click.
    QMenu* menuPlayback() const { return m_menuPlayback; }
    QMenu* menuGraphs() const { return m_menuGraphs; }
    QMenu* menuLanguage() const { return m_menuLanguage; }
    QMenu* menuMapsProvider() const { return m_menuMapsProvider; }
    // The graphs items by tag: 0 speed, 1 total acceleration, 2 X, 3 Y, 4 Z, 5 altitude.
    QAction* graphsItem(int tag) const;
    QAction* menuItemMetric() const { return m_menuItemMetric; }
    QAction* menuItemBritish() const { return m_menuItemBritish; }

    // Menu actions; each receives the chosen item.
    void mapsProviderClicked(QAction* item);
    // Stores the item's language and switches the whole window to it at once.
    void languageClicked(QAction* item);
    // The item's check mark has already been toggled (as a checkable action's trigger does);
    // its tag says which graph takes the new state.
    void graphsClicked(QAction* item);
    void measurementSystemClicked(QAction* item);
    void whatsNewClicked();
    void openDocument();

    // Playback commands, forwarded to the controller.

    // Where the "What's new" text is installed: beside the executable, or in the installed
    // data folder. Empty when it cannot be found.
    static QString whatsNewPath();

private:
    // Installs the translations of m_language, replacing those installed before.
    void installTranslator();
    void retranslateMenus();
    void buildMenus();
    void placeWindow();
    void saveWindowLayout();
    void applyFirstLaunchDefaults();
    void updateGraphsCheckMarks();
    std::shared_ptr<RVWindowDialogs> dialogs();

    RVAppDelegateOptions m_options;
    QString m_language;
    std::unique_ptr<QTranslator> m_translator;
    std::unique_ptr<QTranslator> m_qtTranslator; // Qt's own dialogs and buttons
    std::unique_ptr<RVMainViewController> m_mainViewController;

    // Menus and items belong to the window's menu bar.
    QPointer<QMenu> m_menuPlayback;
    QPointer<QMenu> m_menuGraphs;
    QPointer<QMenu> m_menuLanguage;
    QPointer<QMenu> m_menuMapsProvider;
    std::array<QPointer<QAction>, RVGraphs::kCount> m_graphsItems; // by RVGraph
    QPointer<QAction> m_menuItemMetric;
    QPointer<QAction> m_menuItemBritish;
};
