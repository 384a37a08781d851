#pragma once

// Real camera recordings and receiver logs for the tests. Logs whose licence allows it live in
// tests/data/ (see its SOURCES.md). Recordings with an unclear licence stay outside the
// repository, in KORVELA_REALDATA_DIR; tests that need them are skipped when it is absent.

#include <QFileInfo>
#include <QString>

#include <gtest/gtest.h>

struct RealData
{
    static QString folder() { return QStringLiteral(KORVELA_REALDATA_DIR); }

    // The file or folder below tests/data/ when it is there, else below the outside folder.
    static QString path(const QString& relative)
    {
        const QString inRepository = QStringLiteral(KORVELA_TESTDATA_DIR "/") + relative;
        return QFileInfo::exists(inRepository) ? inRepository : folder() + '/' + relative;
    }

    static bool has(const QString& relative) { return QFileInfo::exists(path(relative)); }
};

// Skips the current test when the real-data file or folder is absent, naming the folder.
#define KORVELA_SKIP_WITHOUT_REALDATA(relative)                                                    \
    do {                                                                                           \
        if (!RealData::has(QStringLiteral(relative)))                                              \
            GTEST_SKIP() << "needs " << qPrintable(RealData::folder()) << "/" << relative          \
                         << " (real recordings kept outside the repository)";                      \
    } while (false)
