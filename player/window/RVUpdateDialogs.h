#pragma once

#include "update/RVDialogs.h"

#include <QPointer>

#include <memory>

class QProgressDialog;
class QWidget;
class RVWindowDialogs;

// The updater's questions and alerts as the window shows them: the keys looked up in the
// interface language, shown through the window's dialogs (message boxes, or a test's script),
// and long installation work as a progress dialog over the window that leaves the event loop
// running. GUI thread only.
class RVUpdateDialogs final : public RVDialogs
{
public:
    RVUpdateDialogs(std::shared_ptr<RVWindowDialogs> dialogs, QWidget* window);
    ~RVUpdateDialogs() override;

    void alert(const QString& titleKey, const QString& messageKey) override;
    bool question(const QString& titleKey, const QString& messageKey) override;
    void plainAlert(const QString& message, const QString& informativeText) override;
    void showProgress(const QString& titleKey, qint64 done, qint64 total) override;
    void hideProgress() override;

private:
    std::shared_ptr<RVWindowDialogs> m_dialogs;
    QPointer<QWidget> m_window;
    QPointer<QProgressDialog> m_progress;
};
