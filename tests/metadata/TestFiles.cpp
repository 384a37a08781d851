#include "TestFiles.h"

#include "RealData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

QByteArray TestFiles::box(std::uint32_t size, const char* type, const QByteArray& payload)
{
    QByteArray bytes;
    bytes.append(char(size >> 24))
        .append(char(size >> 16))
        .append(char(size >> 8))
        .append(char(size));
    bytes.append(type, 4);
    bytes.append(payload);
    return bytes;
}

QByteArray TestFiles::payloadSizedBox(const char* type, const QByteArray& payload)
{
    return box(std::uint32_t(payload.size()), type, payload);
}

QByteArray TestFiles::standardBox(const char* type, const QByteArray& payload)
{
    return box(std::uint32_t(payload.size() + 8), type, payload);
}

QByteArray TestFiles::realData(const char* relativePath)
{
    QFile file(RealData::path(QString::fromUtf8(relativePath)));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "missing real data " << relativePath;
        return QByteArray();
    }
    return file.readAll();
}

std::string_view TestFiles::view(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), std::size_t(bytes.size()));
}
