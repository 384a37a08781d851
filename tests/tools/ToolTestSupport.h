#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QString>
#include <QStringList>

// Helpers shared by the tools' tests: running a program, the demo card (made once per test
// run, in a temporary folder), and the korvela-export binary.

struct ProcessResult
{
    int exitCode = -1;
    bool finished = false;
    QByteArray out;
    QByteArray err;
};

ProcessResult runProcess(const QString& program, const QStringList& arguments,
                         int timeoutMs = 120000);

// Runs build/tools/korvela-export with the arguments.
ProcessResult runExportTool(const QStringList& arguments);

// The path of a demo card made by tools/make-demo-card, or an empty string when it could not
// be made (the reason is in demoCardError()).
QString demoCardPath();
QString demoCardError();

// The card's manifest (korvela-demo-card.json) "recordings" array.
QJsonArray demoCardRecordings();
