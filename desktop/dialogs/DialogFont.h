// The dialogs' font: Arial (or its metric twin) at a size in pixels, as the dialogs are laid
// out in pixels.
#pragma once

#include <QFont>

namespace zarq {

inline QFont ArialPx(int pixels, bool bold = false, bool underline = false) {
    QFont font("Arial");
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setUnderline(underline);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

}  // namespace zarq
