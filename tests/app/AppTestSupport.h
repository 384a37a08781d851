#pragma once

#include "app/RVAppDelegate.h"
#include "player/RVWindowDialogs.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// Records the window's alerts and questions; questions are answered "No".
class RecordingDialogs final : public RVWindowDialogs
{
public:
    void alert(const QString& message, const QString& informativeText) override
    {
        alerts << message + QStringLiteral(" | ") + informativeText;
    }
    bool question(const QString& message, const QString& informativeText) override
    {
        questions << message + QStringLiteral(" | ") + informativeText;
        return false;
    }
    QStringList chooseFilesAndFolders() override { return {}; }
    std::optional<QString> chooseSavePath(const QString&, const QString&) override
    {
        return std::nullopt;
    }

    QStringList alerts;
    QStringList questions;
};

namespace apptest {

// Empties the settings store, as on a machine where the program never ran.
void clearSettings();

// The application as launched by the program, except that it watches no cards, asks no
// server, shows no advertisement and answers its dialogs from `dialogs`.
class Launch final
{
public:
    explicit Launch(
        std::shared_ptr<RecordingDialogs> dialogs = std::make_shared<RecordingDialogs>());
    ~Launch();
    RVAppDelegate& delegate() { return *m_delegate; }
    RecordingDialogs& dialogs() { return *m_dialogs; }

private:
    QTemporaryDir m_installDir;
    std::shared_ptr<RecordingDialogs> m_dialogs;
    std::unique_ptr<RVAppDelegate> m_delegate;
};

} // namespace apptest
