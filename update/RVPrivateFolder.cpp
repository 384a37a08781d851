#include "update/RVPrivateFolder.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

std::unique_ptr<QTemporaryDir> makePrivateTemporaryFolder()
{
    // QDir::tempPath() is empty when TMPDIR names a missing folder; a template without a folder
    // would then put the folder into the working directory or "/".
    const QString base = QDir::tempPath();
    if (base.isEmpty() || !QFileInfo(base).isDir()) {
        qWarning().noquote() << "Write returned error: no temporary folder at" << base;
        return nullptr;
    }
    auto folder = std::make_unique<QTemporaryDir>(base + QLatin1String("/KorvelaPlayer-XXXXXX"));
    if (!folder->isValid()) {
        qWarning().noquote() << "Write returned error:" << folder->errorString();
        return nullptr;
    }
    return folder;
}
