#include "tools/korvela-export/RVLibraryCollector.h"

#include "core/platform/RVPlatformFile.h"
#include "export/RVLanguageUtil.h"
#include "library/RVVolumeMonitor.h"

#include <QFileInfo>

RVCollectedLibrary collectLibrary(const RVExportContext& context,
                                  const std::function<void(int done, int total)>& progress)
{
    RVCollectedLibrary result;
    static int argc = 1;
    static char name[] = "korvela-export";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        result.app = std::make_unique<QCoreApplication>(argc, argv);
    // The user's language (English when the program has none of theirs), so that no text
    // shows its translation key.
    result.translator = std::make_unique<QTranslator>();
    RVLanguageUtil::installUserLanguage(*result.translator);

    QStringList paths;
    for (const QString& path : context.files) {
        if (RVPlatformFile::stat(path).kind != RVPlatformFile::Kind::Missing) {
            paths.append(path);
        } else {
            std::fprintf(context.err, "korvela-export: %s: No such file or directory\n",
                         nativeText(path).constData());
            std::fflush(context.err);
            result.missingPath = true;
        }
    }
    result.pathCount = paths.size();

    result.list = std::make_unique<RVVideoList>(std::make_unique<RVStaticVolumeMonitor>(),
                                                RVVideoList::defaultMetaDataSource());
    RVVideoList& list = *result.list;
    if (progress)
        QObject::connect(&list, &RVVideoList::metaScanProgress, &list, progress,
                         Qt::DirectConnection);
    list.waitForIdle(); // the list's first card check (there are no cards here)
    if (!paths.isEmpty())
        list.addVideoFilesFrom(paths);
    list.waitForIdle();
    return result;
}
