#include "player/window/RVWidgetDialogs.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTreeView>

namespace {
// What the dialog itself would open, without the folder on show: QFileDialog answers that
// folder when nothing was selected or typed.
QStringList typedPaths(const QFileDialog& dialog)
{
    const QString shown = QFileInfo(dialog.directory().absolutePath()).canonicalFilePath();
    QStringList paths;
    for (const QString& path : dialog.selectedFiles()) {
        if (QFileInfo(path).canonicalFilePath() != shown)
            paths << path;
    }
    return paths;
}
} // namespace

void RVWidgetDialogs::alert(const QString& message, const QString& informativeText)
{
    QMessageBox box(m_parent);
    box.setIcon(QMessageBox::Warning);
    box.setText(message);
    box.setInformativeText(informativeText);
    QPushButton* ok = box.addButton(QStringLiteral("Ok"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.exec();
}

bool RVWidgetDialogs::question(const QString& message, const QString& informativeText)
{
    QMessageBox box(m_parent);
    box.setIcon(QMessageBox::Question);
    box.setText(message);
    box.setInformativeText(informativeText);
    QPushButton* yes = box.addButton(QStringLiteral("Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("No"), QMessageBox::NoRole);
    // Every question asked is about something that cannot be undone: Enter gives the safe
    // answer.
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

QStringList RVWidgetDialogs::chooseFilesAndFolders()
{
    // Qt's own file dialog: platform dialogs choose either files or folders, never both. Its
    // views are switched to extended selection, and the accept button takes whatever is
    // selected in them, folders included, instead of entering a selected folder.
    QFileDialog dialog(m_parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(
        {QStringLiteral("Recordings (*.mp4 *.MP4 *.mov *.MOV)"), QStringLiteral("All files (*)")});
    dialog.setDirectory(QStandardPaths::writableLocation(QStandardPaths::HomeLocation));

    QStringList chosen;
    auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(tree), static_cast<QAbstractItemView*>(list)}) {
        if (view)
            view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    }
    auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    QPushButton* open = buttons ? buttons->button(QDialogButtonBox::Open) : nullptr;
    auto* model = dialog.findChild<QFileSystemModel*>();
    if (open && model && (tree || list)) {
        QAbstractItemView* view = list ? static_cast<QAbstractItemView*>(list) : tree;
        QObject::disconnect(open, &QPushButton::clicked, nullptr, nullptr);
        QObject::connect(open, &QPushButton::clicked, &dialog, [&] {
            chosen.clear();
            for (const QModelIndex& index : view->selectionModel()->selectedRows())
                chosen << model->filePath(index);
            if (chosen.isEmpty())
                chosen = typedPaths(dialog);
            // Nothing selected and nothing typed: the folder on show is not a choice.
            if (chosen.isEmpty())
                return;
            static_cast<QDialog&>(dialog).done(QDialog::Accepted);
        });
        // The button stays usable with a folder selected.
        QObject::connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, open,
                         [open] { open->setEnabled(true); });
    }
    // Beside Open: the folder on show is the choice, so a card's folder is added without
    // selecting it from its parent first.
    if (buttons) {
        //% "Choose Folder"
        QPushButton* folder =
            buttons->addButton(qtTrId("CHOOSE_FOLDER_BUTTON"), QDialogButtonBox::ActionRole);
        folder->setObjectName(QStringLiteral("chooseFolderButton"));
        QObject::connect(folder, &QPushButton::clicked, &dialog, [&] {
            chosen = QStringList{dialog.directory().absolutePath()};
            static_cast<QDialog&>(dialog).done(QDialog::Accepted);
        });
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return chosen.isEmpty() ? typedPaths(dialog) : chosen;
}

std::optional<QString> RVWidgetDialogs::chooseSavePath(const QString& folder,
                                                       const QString& proposedName,
                                                       const QString& extension)
{
    QFileDialog dialog(m_parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("%1 (*.%1)").arg(extension));
    dialog.setDefaultSuffix(extension);
    dialog.setDirectory(folder);
    dialog.selectFile(proposedName + QLatin1Char('.') + extension);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    QString path = dialog.selectedFiles().constFirst();
    // Only the one file type is allowed: a name typed with another extension gets ours added.
    if (QFileInfo(path).suffix().compare(extension, Qt::CaseInsensitive) != 0)
        path += QLatin1Char('.') + extension;
    return path;
}
