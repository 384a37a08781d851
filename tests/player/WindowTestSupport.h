#pragma once

#include "library/RVVideoList.h"
#include "player/RVWindowDialogs.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <memory>

// Answers the window's dialogs from a script and records what was asked.
class ScriptedDialogs final : public RVWindowDialogs
{
public:
    void alert(const QString& message, const QString& informativeText) override
    {
        alerts << message + QStringLiteral(" | ") + informativeText;
    }
    bool question(const QString& message, const QString& informativeText) override
    {
        questions << message + QStringLiteral(" | ") + informativeText;
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    QStringList chooseFilesAndFolders() override { return openPaths; }
    std::optional<QString> chooseSavePath(const QString& folder, const QString& proposedName,
                                          const QString& extension) override
    {
        if (onSavePanel)
            onSavePanel();
        saveFolders << folder;
        proposedNames << proposedName + QLatin1Char('.') + extension;
        return savePath;
    }

    QStringList alerts;
    QStringList questions;
    std::deque<bool> answers;
    QStringList openPaths;
    QStringList proposedNames;
    QStringList saveFolders;
    std::optional<QString> savePath;
    // Runs while the save panel is "open".
    std::function<void()> onSavePanel;
};

namespace windowtest {

// Starts a test with no stored settings and leaves none behind (the test main keeps the store
// in a temporary folder).
class IsolatedSettings final
{
public:
    IsolatedSettings();
    ~IsolatedSettings();
};

// A video list that watches no cards and reads metadata through the program's dispatcher
// (withMetaData) or finds none.
std::shared_ptr<RVVideoList> makeVideoList(bool withMetaData);

// The demo card (recordings of all three camera formats, with 10 Hz tracks), made once per
// build tree by the developer tool that ./run uses. Empty (and the test failed) when it
// cannot be made.
QString demoCard();

} // namespace windowtest
