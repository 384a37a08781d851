#include "app/RVAboutBox.h"

#include "app/RVDataFiles.h"
#include "app/RVMenuMnemonics.h"

#include "korvela_version.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

// Notices are a few kilobytes; anything far larger is not ours and is not shown.
constexpr qint64 kMaxNoticeBytes = 256 * 1024;

} // namespace

QString RVAboutBox::text(const QString& executableDir)
{
    QString text = QStringLiteral("Korvela Player %1\n\n").arg(QLatin1String(KORVELA_VERSION));
    text += QStringLiteral(
        "Copyright (C) Korvela Player developers.\n"
        "License: GPL-3.0-or-later. This program is free software: you can redistribute it "
        "and/or modify it under the terms of the GNU General Public License as published by "
        "the Free Software Foundation, either version 3 of the License, or (at your option) "
        "any later version. It comes with ABSOLUTELY NO WARRANTY.\n");
    const QStringList notices = RVDataFiles::notices(executableDir);
    if (notices.isEmpty()) {
        text += QStringLiteral("\nThird-party notices are not installed (looked in %1/notices).\n")
                    .arg(RVDataFiles::folder(executableDir));
    }
    for (const QString& path : notices) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxNoticeBytes)
            continue;
        text += QStringLiteral("\n──── %1 ────\n\n").arg(QFileInfo(path).completeBaseName());
        text += QString::fromUtf8(file.readAll()).trimmed() + QLatin1Char('\n');
    }
    return text;
}

void RVAboutBox::show(QWidget* parent)
{
    QDialog dialog(parent);
    //% "About Korvela Player"
    dialog.setWindowTitle(RVMenuMnemonics::stripped(qtTrId("MENU_ABOUT")));
    dialog.setObjectName(QStringLiteral("aboutBox"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* headline = new QLabel(
        QStringLiteral("<b>Korvela Player %1</b>").arg(QLatin1String(KORVELA_VERSION)), &dialog);
    layout->addWidget(headline);
    auto* body = new QPlainTextEdit(text(QCoreApplication::applicationDirPath()), &dialog);
    body->setReadOnly(true);
    body->setMinimumSize(560, 360);
    layout->addWidget(body);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog.exec();
}
