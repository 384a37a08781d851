#pragma once

#include "../player/WindowTestSupport.h" // ScriptedDialogs

#include "app/RVAppDelegate.h"

#include <QTemporaryDir>

#include <memory>

namespace apptest {

// Empties the settings store, as on a machine where the program never ran.
void clearSettings();

// The application as launched by the program, except that it watches no cards, asks no
// server, shows no advertisement and answers its dialogs from `dialogs`.
class Launch final
{
public:
    explicit Launch(std::shared_ptr<ScriptedDialogs> dialogs = std::make_shared<ScriptedDialogs>());
    ~Launch();
    RVAppDelegate& delegate() { return *m_delegate; }
    ScriptedDialogs& dialogs() { return *m_dialogs; }

private:
    QTemporaryDir m_installDir;
    std::shared_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<RVAppDelegate> m_delegate;
};

} // namespace apptest
