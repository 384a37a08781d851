// The top-level box walk over an in-memory "video file", and the text of a found "udat" box.
#include "metadata/RVKorvelaMetaDataReader.h"

#include <QBuffer>
#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const std::optional<QByteArray> payload =
        RVKorvelaMetaDataReader::findUdatPayload(buffer, bytes.size());
    if (!payload)
        return 0;
    // The payload can never be larger than the file that holds it.
    if (payload->size() > bytes.size())
        __builtin_trap();
    (void)RVKorvelaMetaDataReader::readMetaDataFromText(
        std::string_view(payload->constData(), std::size_t(payload->size())));
    return 0;
}
