#include "ToolTestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

ProcessResult runProcess(const QString& program, const QStringList& arguments, int timeoutMs)
{
    ProcessResult result;
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(10000)) {
        result.err = process.errorString().toUtf8();
        return result;
    }
    process.closeWriteChannel();
    result.finished = process.waitForFinished(timeoutMs);
    if (!result.finished)
        process.kill();
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

ProcessResult runExportTool(const QStringList& arguments)
{
    return runProcess(QStringLiteral(KORVELA_BINARY_DIR "/tools/korvela-export"), arguments);
}

namespace {

struct DemoCard
{
    QTemporaryDir dir;
    QString path;
    QString error;
};

DemoCard& demoCard()
{
    static const std::unique_ptr<DemoCard> card = [] {
        auto made = std::make_unique<DemoCard>();
        const QString path = made->dir.filePath(QStringLiteral("card"));
        const ProcessResult run =
            runProcess(QStringLiteral(KORVELA_SOURCE_DIR "/tools/make-demo-card"), {path}, 300000);
        if (run.exitCode == 0)
            made->path = path;
        else
            made->error = QString::fromUtf8(run.err);
        return made;
    }();
    return *card;
}

} // namespace

QString demoCardPath()
{
    return demoCard().path;
}

QString demoCardError()
{
    return demoCard().error;
}

QJsonArray demoCardRecordings()
{
    QFile file(QDir(demoCardPath()).filePath(QStringLiteral("korvela-demo-card.json")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll())
        .object()
        .value(QStringLiteral("recordings"))
        .toArray();
}
