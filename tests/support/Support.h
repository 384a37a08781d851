#pragma once

// What the tests of every layer share: files, waiting on the event loop, ffmpeg, captured log
// lines and readable Qt values in failure messages. Each test executable also gets the one
// main in TestMain.cpp, which keeps settings and temporary files in a folder of the run's own.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <ostream>

namespace support {

// Writes bytes to path, creating its folders. A failure is reported to the running test
// (and returned), so a call whose result is ignored still fails the test.
bool writeFile(const QString& path, const QByteArray& bytes = "x");
// The file's bytes; empty when it cannot be read.
QByteArray readFile(const QString& path);

// Runs the event loop until the condition holds or the time is up; returns the condition.
bool waitFor(const std::function<bool()>& condition, int timeoutMs = 10000);

// Runs a program (found on PATH when the name has no slash) with these arguments, its output
// discarded; true when it exited with 0.
bool runProgram(const QString& program, const QStringList& arguments);
// runProgram("ffmpeg", arguments).
bool runFfmpeg(const QStringList& arguments);
// A 3 s MPEG transport stream with ffmpeg: a small video, and a data stream whose packets are
// `records` cut `packetBytes` long (records of a camera's TS mode). Its own name plus ".bin"
// holds the records on the way.
bool writeTransportStream(const QString& path, const QByteArray& records, int packetBytes);
// Appends to an MP4 file a "free" box, so that what follows starts at a 0x8000 boundary, and
// an "mdat" box whose payload starts with a real encrypted freeGPS block (Akaso V1 bytes),
// the 0x8000 bytes padded by `after` and zeros. Returns the block's offset.
qint64 appendEncryptedFreeGps(QByteArray& file, const QByteArray& after = {});

// Collects the program's log lines (qDebug, qWarning, ...) while alive.
class LogCapture final
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;
    bool contains(const QString& text) const;
};

} // namespace support

// Readable failure messages for Qt texts (found by argument-dependent lookup).
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* out)
{
    *out << '[' << texts.join(QStringLiteral(", ")).toStdString() << ']';
}
