#include "player/window/RVShortcutList.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// "&Open…\tCtrl+O" reads "Open…"; "&&" stands for one ampersand.
QString commandText(const QAction* action)
{
    QString text = action->text().section(QLatin1Char('\t'), 0, 0);
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        else if (text.at(i) == QLatin1Char('&'))
            continue;
        result += text.at(i);
    }
    return result;
}

void collectMenu(const QMenu* menu, QList<RVShortcut>& out, QSet<const QAction*>& seen)
{
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        if (const QMenu* sub = action->menu()) {
            collectMenu(sub, out, seen);
            continue;
        }
        const QString keys = RVShortcutList::keysOf(action);
        if (!keys.isEmpty() && !seen.contains(action)) {
            seen.insert(action);
            out.append({commandText(action), keys});
        }
    }
}

} // namespace

QString RVShortcutList::keysOf(const QAction* action)
{
    const QStringList listed = action->property(kKeysProperty).toStringList();
    if (!listed.isEmpty())
        return listed.join(QStringLiteral(", "));
    QStringList keys;
    for (const QKeySequence& key : action->shortcuts())
        keys << key.toString(QKeySequence::NativeText);
    if (!keys.isEmpty())
        return keys.join(QStringLiteral(", "));
    return action->text().section(QLatin1Char('\t'), 1).trimmed();
}

QList<RVShortcut> RVShortcutList::collect(const QMenuBar* bar, const QList<QAction*>& more)
{
    QList<RVShortcut> result;
    QSet<const QAction*> seen;
    if (bar) {
        for (const QAction* action : bar->actions()) {
            if (const QMenu* menu = action->menu())
                collectMenu(menu, result, seen);
        }
    }
    for (const QAction* action : more) {
        const QString keys = keysOf(action);
        if (!keys.isEmpty() && !seen.contains(action)) {
            seen.insert(action);
            result.append({commandText(action), keys});
        }
    }
    return result;
}

QDialog* RVShortcutList::makeDialog(QWidget* parent, const QList<RVShortcut>& shortcuts)
{
    auto* dialog = new QDialog(parent);
    dialog->setObjectName(QStringLiteral("shortcutsDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    //% "Keyboard Shortcuts"
    dialog->setWindowTitle(qtTrId("SHORTCUTS_TITLE"));
    auto* layout = new QVBoxLayout(dialog);
    auto* table = new QTableWidget(int(shortcuts.size()), 2, dialog);
    table->setObjectName(QStringLiteral("shortcutsTable"));
    //% "Command"
    const QString commandHeader = qtTrId("SHORTCUTS_COMMAND");
    //% "Keys"
    table->setHorizontalHeaderLabels({commandHeader, qtTrId("SHORTCUTS_KEYS")});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (int row = 0; row < shortcuts.size(); ++row) {
        table->setItem(row, 0, new QTableWidgetItem(shortcuts[row].command));
        table->setItem(row, 1, new QTableWidgetItem(shortcuts[row].keys));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog->resize(420, 480);
    return dialog;
}
