#include "player/window/RVUpdateDialogs.h"

#include "player/window/RVWindowDialogs.h"

#include <QProgressDialog>

#include <algorithm>
#include <limits>

namespace {
QString translated(const QString& key)
{
    const QByteArray id = key.toUtf8();
    return qtTrId(id.constData());
}
} // namespace

RVUpdateDialogs::RVUpdateDialogs(std::shared_ptr<RVWindowDialogs> dialogs, QWidget* window)
    : m_dialogs(std::move(dialogs)), m_window(window)
{}

RVUpdateDialogs::~RVUpdateDialogs()
{
    delete m_progress.data();
}

void RVUpdateDialogs::alert(const QString& titleKey, const QString& messageKey)
{
    m_dialogs->alert(translated(titleKey), translated(messageKey));
}

bool RVUpdateDialogs::question(const QString& titleKey, const QString& messageKey)
{
    return m_dialogs->question(translated(titleKey), translated(messageKey));
}

void RVUpdateDialogs::plainAlert(const QString& message, const QString& informativeText)
{
    m_dialogs->alert(message, informativeText);
}

void RVUpdateDialogs::showProgress(const QString& titleKey, qint64 done, qint64 total)
{
    if (!m_progress) {
        // Shown beside the window, not modal: the video keeps playing while the update
        // unpacks, and a modal progress dialog would run a nested event loop from every
        // setValue, in which the end of the installation could delete it under its own feet.
        // There is nothing to cancel once the user chose to install, so it has no button.
        m_progress = new QProgressDialog(m_window);
        m_progress->setObjectName(QStringLiteral("updateProgress"));
        m_progress->setWindowModality(Qt::NonModal);
        m_progress->setCancelButton(nullptr);
        m_progress->setMinimumDuration(0);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
    }
    m_progress->setLabelText(translated(titleKey));
    // An unknown amount shows as a busy bar. Counts are entries of an archive, far below the
    // int range, but are clamped all the same.
    const int maximum = int(std::clamp<qint64>(total, 0, std::numeric_limits<int>::max()));
    m_progress->setRange(0, maximum);
    m_progress->setValue(int(std::clamp<qint64>(done, 0, maximum)));
    m_progress->show();
}

void RVUpdateDialogs::hideProgress()
{
    if (!m_progress)
        return;
    m_progress->hide();
    m_progress->deleteLater();
    m_progress = nullptr;
}
