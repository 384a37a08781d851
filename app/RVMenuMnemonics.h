#pragma once

#include <QChar>
#include <QString>

class QWidget;

// Menu mnemonics: the underlined letter of a menu title that opens the menu with Alt, and of
// an item that chooses it while its menu is open. In a text the letter follows a single "&";
// "&&" is a literal ampersand. Only the part before a tab counts: after it the menus show the
// item's key.
namespace RVMenuMnemonics {

// The text as shown, without its mnemonic marker.
QString stripped(const QString& text);
// The mnemonic letter of the text in upper case; a null QChar when it has none.
QChar mnemonic(const QString& text);
// Gives every item of a menu bar or menu, and of their submenus, a mnemonic that no other item
// of the same menu has. A letter the translation chose is kept while it is free; the others get
// the first free letter that starts a word, else the first free letter at all. Idempotent, so
// it is run again after every change of texts.
void assign(QWidget* menuOrBar);

} // namespace RVMenuMnemonics
