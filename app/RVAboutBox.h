#pragma once

#include <QString>

class QWidget;

// Help > About: the program's name and version, its licence, and the third-party notices
// installed with it (share/korvela-player/notices).
namespace RVAboutBox {

// The box's text, as plain text: headline, licence, then each notice file in full. A missing
// notices folder is said in the text rather than left out silently.
QString text(const QString& executableDir);

// Shows the box, modal to parent.
void show(QWidget* parent);

} // namespace RVAboutBox
