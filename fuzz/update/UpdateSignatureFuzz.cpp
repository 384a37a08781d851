// The signature check of update information and firmware descriptions: whatever the server
// sends, the check never crashes or reads past the text; a text signed with the key verifies
// and gives back exactly what was signed; the same text with any one byte changed does not.
#include "fuzz/FuzzInput.h"
#include "update/RVUpdateSignature.h"

#include <openssl/evp.h>

namespace {

struct Key
{
    EVP_PKEY* key = nullptr;
    QByteArray publicKey;
    Key()
    {
        EVP_PKEY_CTX* context = EVP_PKEY_CTX_new_id(EVP_PKEY_ED25519, nullptr);
        if (!context || EVP_PKEY_keygen_init(context) != 1 || EVP_PKEY_keygen(context, &key) != 1)
            std::abort();
        EVP_PKEY_CTX_free(context);
        std::size_t length = 32;
        publicKey.resize(32);
        if (EVP_PKEY_get_raw_public_key(key, reinterpret_cast<unsigned char*>(publicKey.data()),
                                        &length) != 1)
            std::abort();
    }
    QByteArray sign(const QByteArray& text) const
    {
        QByteArray signature(64, '\0');
        std::size_t length = 64;
        EVP_MD_CTX* context = EVP_MD_CTX_new();
        if (EVP_DigestSignInit(context, nullptr, nullptr, nullptr, key) != 1 ||
            EVP_DigestSign(context, reinterpret_cast<unsigned char*>(signature.data()), &length,
                           reinterpret_cast<const unsigned char*>(text.constData()),
                           std::size_t(text.size())) != 1)
            std::abort();
        EVP_MD_CTX_free(context);
        return text + "signature=" + signature.toBase64() + "\n";
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Key key;
    const QByteArray body = fuzzBytes(data, size);
    // Whatever arrives: no crash, and an answer is always a prefix of what arrived.
    if (const std::optional<QByteArray> text = RVUpdateSignature::verifiedText(body, key.publicKey))
        if (!body.startsWith(*text))
            std::abort();
    RVUpdateSignature::verifiedText(body, body.left(32));

    // Signed texts are lines: the check reads the last line as the signature.
    if (!body.isEmpty() && !body.endsWith('\n'))
        return 0;
    const QByteArray signedBody = key.sign(body);
    if (RVUpdateSignature::verifiedText(signedBody, key.publicKey) != std::optional(body))
        std::abort();
    if (!body.isEmpty()) {
        QByteArray changed = signedBody;
        const qsizetype at = qsizetype(data[0]) % body.size();
        changed[at] = char(changed[at] ^ 0x01);
        if (RVUpdateSignature::verifiedText(changed, key.publicKey))
            std::abort();
    }
    return 0;
}
