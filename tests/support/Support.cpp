#include "Support.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QThread>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace support {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                         file.write(bytes) == bytes.size() && file.flush();
    if (!written)
        ADD_FAILURE() << "could not write " << path.toStdString();
    return written;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

bool runFfmpeg(const QStringList& arguments)
{
    return runProgram(QStringLiteral("ffmpeg"), arguments);
}

qint64 appendEncryptedFreeGps(QByteArray& file, const QByteArray& after)
{
    const auto box = [](const char* type, const QByteArray& payload) {
        const auto size = std::uint32_t(payload.size() + 8);
        const char head[] = {char(size >> 24), char(size >> 16), char(size >> 8), char(size)};
        return QByteArray(head, 4) + QByteArray(type, 4) + payload;
    };
    const qint64 boundary = (file.size() + 16 + 0x7fff) / 0x8000 * 0x8000;
    file += box("free", QByteArray(boundary - file.size() - 16, '\0'));
    const QByteArray block = QByteArray::fromHex(
        "00008000667265654750532078000000596e64416b61736f43617200000000003030303030000000"
        "00000000000000000e000000270000002c000000e3070000050000001d000000414e450000000000"
        "f14e3e3d90dfca40e350bf0b0b31a0404bdcc8419a79a743345843314f3731353531323636353735"
        "594e44530de7ccf900000000050000000000000000000000");
    QByteArray payload = block + QByteArray(0x8000 - block.size(), '\0') + after;
    payload += QByteArray((0x8000 - payload.size() % 0x8000) % 0x8000, '\0');
    file += box("mdat", payload);
    return boundary;
}

bool writeTransportStream(const QString& path, const QByteArray& records, int packetBytes)
{
    const QString raw = path + QStringLiteral(".bin");
    return writeFile(raw, records) &&
           runFfmpeg(QStringList{"-f", "lavfi", "-t", "3", "-i", "testsrc=size=64x36:rate=10", "-f",
                                 "data", "-raw_packet_size", QString::number(packetBytes), "-i",
                                 raw} +
                     QStringList{"-map", "0:v", "-map", "1:d", "-c:v", "mpeg4", "-c:d", "copy",
                                 "-t", "3", "-f", "mpegts", path});
}

bool runProgram(const QString& program, const QStringList& arguments)
{
    // fork and exec rather than QProcess: Qt starts children with vfork semantics, whose child
    // runs in the parent's memory and corrupts ThreadSanitizer's state for the rest of the run.
    std::vector<std::string> words{QFile::encodeName(program).toStdString()};
    for (const QString& argument : arguments)
        words.push_back(QFile::encodeName(argument).toStdString());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

namespace {

QMutex s_logMutex;
QStringList s_log;
QtMessageHandler s_previousHandler = nullptr;

void collect(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    {
        const QMutexLocker lock(&s_logMutex);
        s_log.append(message);
    }
    if (s_previousHandler)
        s_previousHandler(type, context, message);
}

} // namespace

LogCapture::LogCapture()
{
    const QMutexLocker lock(&s_logMutex);
    s_log.clear();
    s_previousHandler = qInstallMessageHandler(collect);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(s_previousHandler);
}

bool LogCapture::contains(const QString& text) const
{
    const QMutexLocker lock(&s_logMutex);
    return !s_log.filter(text).isEmpty();
}

} // namespace support
