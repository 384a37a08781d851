#pragma once

#include <QList>
#include <QString>

class QAction;
class QDialog;
class QMenuBar;
class QWidget;

// A command of the window and the keys that give it.
struct RVShortcut
{
    QString command; // as its menu item reads, without the mnemonic marker
    QString keys;    // in the platform's notation, several joined by commas
};

// The list of the window's keyboard shortcuts, read from the actions themselves (menu items
// and the window's commands), so it never goes stale when a key or a text changes.
class RVShortcutList final
{
public:
    RVShortcutList() = delete;

    // An action may carry this property (a QStringList in the platform's notation) when its
    // command has more keys than its menu text shows.
    static constexpr const char* kKeysProperty = "korvelaKeys";

    // The keys of one action: the property above, else its shortcuts, else the key its text
    // shows after a tab (the window's key map gives actions no shortcut of their own). Empty
    // when it has none.
    static QString keysOf(const QAction* action);
    // Every item of the menu bar's menus (submenus included) that has a key, in menu order,
    // then the further actions that have keys and are in no menu; each command once.
    static QList<RVShortcut> collect(const QMenuBar* bar, const QList<QAction*>& more);
    // A dialog listing them, made for the parent and deleted when closed; the caller shows it.
    static QDialog* makeDialog(QWidget* parent, const QList<RVShortcut>& shortcuts);
};
