#pragma once

#include "core/RVSettings.h"
#include "library/RVVideoList.h"
#include "player/window/RVWindowDialogs.h"

#include <QStringList>

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
    std::optional<QString> chooseSavePath(const QString& folder, const QString& proposedName,
                                          const QString& extension) override
    {
        saveFolders << folder;
        proposedNames << proposedName + QLatin1Char('.') + extension;
        return savePath;
    }

    QStringList alerts, questions, proposedNames, saveFolders;
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

} // namespace windowtest
