// The box walker over an in-memory "video file" (every box entered as if it held boxes, a few
// levels deep, checking that each box lies inside its parent and the walk only moves forward),
// and the maker's top-level "udat" walk with the text of a found box.
#include "fuzz/FuzzInput.h"
#include "metadata/RVBoxWalker.h"
#include "metadata/RVKorvelaMetaDataReader.h"

namespace {

void walk(QIODevice& device, qint64 begin, qint64 end, int depth)
{
    RVBoxWalker walker(device, begin, end);
    qint64 previousEnd = begin;
    while (const std::optional<RVBox> box = walker.next()) {
        if (box->offset != previousEnd || box->end > end || box->payloadOffset() > box->end ||
            box->end <= box->offset)
            __builtin_trap();
        previousEnd = box->end;
        if (depth < 4)
            walk(device, box->payloadOffset(), box->end, depth + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzFile file(data, size);
    walk(file.buffer, 0, file.bytes.size(), 0);
    const std::optional<QByteArray> payload =
        RVKorvelaMetaDataReader::findUdatPayload(file.buffer, file.bytes.size());
    if (!payload)
        return 0;
    // The payload can never be larger than the file that holds it.
    if (payload->size() > file.bytes.size())
        __builtin_trap();
    (void)RVKorvelaMetaDataReader::readMetaDataFromText(
        std::string_view(payload->constData(), std::size_t(payload->size())));
    return 0;
}
