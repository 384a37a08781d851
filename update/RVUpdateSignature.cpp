// Ed25519 verification and SHA-256 through OpenSSL's EVP interface (libcrypto).

#include "update/RVUpdateSignature.h"

#include "korvela_version.h"

#include <QFile>
#include <QRegularExpression>

#include <openssl/evp.h>

#include <memory>

namespace {

constexpr int kPublicKeyBytes = 32;
constexpr int kSignatureBytes = 64;
const QByteArray kSignatureKey("signature=");

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

} // namespace

namespace RVUpdateSignature {

std::optional<QByteArray> verifiedText(const QByteArray& body, const QByteArray& publicKey,
                                       QString* error)
{
    // The signature line is the last line: at the very start, or after the last line feed
    // before a final line feed.
    QByteArray trimmed = body;
    if (trimmed.endsWith('\n'))
        trimmed.chop(1);
    const qsizetype lineStart = trimmed.lastIndexOf('\n') + 1;
    const QByteArray line = trimmed.mid(lineStart);
    if (!line.startsWith(kSignatureKey)) {
        setError(error, QStringLiteral("it is not signed"));
        return std::nullopt;
    }
    const QByteArray::FromBase64Result decoding = QByteArray::fromBase64Encoding(
        line.mid(kSignatureKey.size()), QByteArray::AbortOnBase64DecodingErrors);
    const QByteArray& signature = decoding.decoded;
    if (!decoding || signature.size() != kSignatureBytes) {
        setError(error, QStringLiteral("its signature is malformed"));
        return std::nullopt;
    }
    if (publicKey.size() != kPublicKeyBytes) {
        setError(error, QStringLiteral("this build holds no key to check it with"));
        return std::nullopt;
    }
    const QByteArray signedPart = body.left(lineStart);
    const std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(
        EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr,
                                    reinterpret_cast<const unsigned char*>(publicKey.constData()),
                                    std::size_t(publicKey.size())),
        &EVP_PKEY_free);
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                          &EVP_MD_CTX_free);
    // Ed25519 signs the message itself (no digest of ours): the one-shot verify call.
    const bool valid =
        key && context &&
        EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) == 1 &&
        EVP_DigestVerify(context.get(),
                         reinterpret_cast<const unsigned char*>(signature.constData()),
                         std::size_t(signature.size()),
                         reinterpret_cast<const unsigned char*>(signedPart.constData()),
                         std::size_t(signedPart.size())) == 1;
    if (!valid) {
        setError(error, QStringLiteral("its signature does not verify"));
        return std::nullopt;
    }
    return signedPart;
}

QByteArray builtInPublicKey()
{
    return QByteArray::fromBase64(QByteArrayLiteral(KORVELA_UPDATE_PUBLIC_KEY));
}

bool fileMatchesSha256(const QString& path, const QString& hexDigest, QString* error)
{
    static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]{64}$"));
    if (!hex.match(hexDigest).hasMatch()) {
        setError(error, QStringLiteral("no valid SHA-256 is given for it"));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, file.errorString());
        return false;
    }
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                          &EVP_MD_CTX_free);
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) {
        setError(error, QStringLiteral("SHA-256 is not available"));
        return false;
    }
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = file.read(block.data(), block.size());
        if (n < 0) {
            setError(error, file.errorString());
            return false;
        }
        if (n == 0)
            break;
        EVP_DigestUpdate(context.get(), block.constData(), std::size_t(n));
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context.get(), digest, &length);
    const QByteArray actual =
        QByteArray(reinterpret_cast<const char*>(digest), int(length)).toHex();
    if (actual != hexDigest.toLatin1().toLower()) {
        setError(error, QStringLiteral("its SHA-256 is %1, not the %2 published")
                            .arg(QString::fromLatin1(actual), hexDigest.toLower()));
        return false;
    }
    return true;
}

} // namespace RVUpdateSignature
