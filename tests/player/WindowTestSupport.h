#pragma once

#include "ClipFactory.h"

#include "core/RVSettings.h"
#include "library/RVVideoList.h"
#include "player/files/RVVideoOutlineViewModel.h"
#include "player/video/RVMpvPlayer.h"
#include "player/video/RVTripPlayback.h"
#include "player/window/RVMainViewController.h"
#include "player/window/RVWindowDialogs.h"

#include <QMainWindow>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// Answers the window's dialogs from a script and records what was asked.
class ScriptedDialogs final : public RVWindowDialogs
{
public:
    void alert(const QString& message, const QString& informativeText) override
    {
        alerts << message + QStringLiteral(" | ") + informativeText;
    }
    // Answers "No" once the script is used up.
    bool question(const QString& message, const QString& informativeText) override
    {
        questions << message + QStringLiteral(" | ") + informativeText;
        return !answers.isEmpty() && answers.takeFirst();
    }
    QStringList chooseFilesAndFolders() override { return {}; }
    std::optional<QString> chooseSavePath(const QString&, const QString& proposedName,
                                          const QString& extension) override
    {
        proposedNames << proposedName + QLatin1Char('.') + extension;
        return savePath;
    }

    QStringList alerts, questions, proposedNames;
    QList<bool> answers;
    std::optional<QString> savePath; // nothing: the panel is cancelled
};

namespace windowtest {

// Starts a test with no stored settings and leaves none behind (the test main keeps the store
// in a temporary folder).
struct IsolatedSettings final
{
    IsolatedSettings() { RVSettings::store().clear(); }
    ~IsolatedSettings() { RVSettings::store().clear(); }
};

// A video list that watches no cards and reads metadata through the program's dispatcher
// (withMetaData) or finds none.
std::shared_ptr<RVVideoList> makeVideoList(bool withMetaData);

// The fixture of the real window's tests: its dialogs scripted, no settings stored before or
// after. The window is built and shown by open().
class Window : public ::testing::Test
{
protected:
    void open(bool withMetaData = false);
    // The node of the list's top-level row; the row whose first file's path ends so, or -1.
    RVVideoDataPtr row(int r) const;
    int rowOf(const QString& fileEnd) const;
    // Adds the paths and waits until the list, its scan done, shows this many rows.
    bool add(const QStringList& paths, int rows = 1);
    // Waits until the list, its scan done, has this many rows, the last one in sight.
    bool showsRows(int rows);
    // Selects the row and clicks it; true once it plays.
    bool play(int row = 0);
    // Starts the trip (as the list gives none of this shape); true once it plays.
    bool start(const RVVideoDataPtr& trip);
    // The picture the player shows, whole, as the still command asks for it; null when none came.
    static QImage still(RVMpvPlayer& player);

    IsolatedSettings settings;
    QTemporaryDir dir; // the test's recordings, kept until the window has gone
    std::shared_ptr<ScriptedDialogs> dialogs = std::make_shared<ScriptedDialogs>();
    RVMainViewController controller{dialogs};
    QMainWindow* window = nullptr;
    RVVideoOutlineViewModel* model = nullptr;
    RVMpvPlayer* player = nullptr;
    RVTripPlayback* playback = nullptr;
    QWidget* central = nullptr; // keys sent to it reach the window's commands
};

} // namespace windowtest
