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
        "000040006672656547505320f00100000a00000000000000000000000000000001000000b0565001"
        "7b18684517023f46130000000100000006000000150000000c0000001c000000414e570000000000"
        "80d4264e3611b54074b5157bcd7bf3400ad7a33dcd4c4e4338343741454831363336303832343537"
        "59534b4a01000000ecffffff000000000e000000010000000a000000e50700000c0000001c000000");
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
