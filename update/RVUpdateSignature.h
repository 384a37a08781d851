#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// What proves that an update came from the maker: the update information and the firmware
// description are signed texts, and each names the SHA-256 of the archive it offers.
//
// A signed text is the document's lines followed by one last line
//   signature=<base64 of the 64-byte Ed25519 signature>
// The signature covers every byte before that line (up to and including the line feed that
// ends the line before it). Nothing may follow the signature line but one line feed.
//
// The maker's public key is compiled in (the build setting KORVELA_UPDATE_PUBLIC_KEY: the raw
// 32-byte key in base64); the private key never leaves the maker.
namespace RVUpdateSignature {

// The signed part of body, verified with the 32-byte Ed25519 public key; nothing (and *error,
// when given, says why) when the signature line is missing or malformed, the key unusable,
// or the signature does not verify.
std::optional<QByteArray> verifiedText(const QByteArray& body, const QByteArray& publicKey,
                                       QString* error = nullptr);

// The compiled-in public key (empty when the build names none: then nothing verifies).
QByteArray builtInPublicKey();

// Whether the file's SHA-256 is the 64 hex digits given (either case). False, with *error,
// when the digest is no such text, the file cannot be read, or the digests differ.
bool fileMatchesSha256(const QString& path, const QString& hexDigest, QString* error = nullptr);

} // namespace RVUpdateSignature
