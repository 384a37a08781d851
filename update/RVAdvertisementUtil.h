#pragma once

#include <QString>

#include <cstdint>
#include <stop_token>

// Where the window's advertisement panel comes from, and how tall it wants to be. The panel's
// page lives on the maker's web server at "/reklama.html" and states its own height in points
// with a meta tag: <meta name="height" content="60">.
class RVAdvertisementUtil final
{
public:
    RVAdvertisementUtil() = delete;

    // The panel's page on the given server (default: the configured maker's server).
    static QString advertisementPageUrl(const QString& serverUrl = defaultServerUrl());
    // The maker's home page, opened in the desktop browser.
    static QString homePageUrl(const QString& serverUrl = defaultServerUrl());
    static QString defaultServerUrl();

    // Fetches the page and reads its height. Blocks the calling thread (never call it on the
    // GUI thread); a stop request aborts the fetch. 0 when the page cannot be fetched, is not
    // https, or states no usable height.
    static std::int32_t getAdvHeight(const QString& pageUrl = advertisementPageUrl(),
                                     std::stop_token stop = {});

    // The height the page text states: the leading integer (after optional blanks and an
    // optional sign, saturated to 32 bits) of the content of the first
    // `<meta name="height" content="` up to the next double quote; 0 without the tag, without a
    // closing quote or without digits. Negative values come back as they are.
    static std::int32_t heightFromPage(const QString& page);
};
