// The update-information answer: whatever the server sends, values hold no line breaks, and
// the version comparison never calls a version newer than itself.
#include "fuzz/FuzzInput.h"
#include "update/RVUpdateInformation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray body = fuzzBytes(data, size);
    const RVUpdateInformation info = RVUpdateInformation::parse(body);
    for (const std::optional<QString>& value :
         {info.macVersion, info.macDownloadURL, info.firmwareURL})
        if (value && (value->contains(QLatin1Char('\n')) || value->contains(QLatin1Char('\r'))))
            std::abort();

    // The first line against the rest as two version texts.
    const qsizetype cut = body.indexOf('\n');
    const QString installed = QString::fromLatin1(cut < 0 ? body : body.left(cut));
    const QString published = QString::fromLatin1(cut < 0 ? QByteArray() : body.mid(cut + 1));
    // Never newer than itself; with more components and no smaller one, always newer.
    if (isPublishedVersionNewer(installed, installed) ||
        isPublishedVersionNewer(published, published) ||
        !isPublishedVersionNewer(installed, installed + QStringLiteral(".0")))
        std::abort();
    isPublishedVersionNewer(installed, published);
    return 0;
}
