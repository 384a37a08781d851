#pragma once

#include <QIcon>
#include <QString>

// Our own one-colour button pictures, drawn in the application palette's button text colour
// at the moment they are painted: dark on a light palette, light on a dark one, greyed when
// the button is disabled. The SVG's own colours only give the shape (its alpha).
class RVPaletteIcon final
{
public:
    RVPaletteIcon() = delete;

    // The icon of the picture at `path` (":/player/Play.svg").
    static QIcon fromFile(const QString& path);
    // The desktop theme's icon `themeName` when the theme has one (it follows the desktop's
    // colours itself), else our picture at `fallbackPath`.
    static QIcon themed(const QString& themeName, const QString& fallbackPath);
};
