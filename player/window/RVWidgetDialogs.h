#pragma once

#include "player/window/RVWindowDialogs.h"

#include <QPointer>
#include <QWidget>

// RVWindowDialogs with Qt's message boxes and file dialogs, modal to the window.
class RVWidgetDialogs final : public RVWindowDialogs
{
public:
    explicit RVWidgetDialogs(QWidget* parent) : m_parent(parent) {}

    void alert(const QString& message, const QString& informativeText) override;
    bool question(const QString& message, const QString& informativeText) override;
    QStringList chooseFilesAndFolders() override;
    std::optional<QString> chooseSavePath(const QString& folder, const QString& proposedName,
                                          const QString& extension) override;

private:
    QPointer<QWidget> m_parent;
};
