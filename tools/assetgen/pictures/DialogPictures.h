// The pictures that are not part of the panel: the boxed toy on the options dialog
// (Im_Piccina), the author's photograph on the about dialog (Im_Foto) and the program's
// icon. All three are drawn from the panel's own pictures, so they show the same toy.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <array>
#include <map>
#include <string>

namespace zarq::assetgen {

inline constexpr QSize kBoxedToySize{204, 286};
inline constexpr QSize kAuthorPhotoSize{252, 84};
// The icon's sizes in pixels, square, each drawn at its own size.
inline constexpr std::array kIconSizes{16, 22, 24, 32, 48, 64, 128, 256};

struct DialogPictures {
    // By picture key ("Im_Piccina", "Im_Foto"), at the sizes above times the scale they were
    // drawn at: files beside the panel's pictures.
    std::map<std::string, QImage> Dialogs;
    // The program's icon by size in pixels, with alpha; drawn with the 1x set only.
    std::map<int, QImage> Icons;
    // The web edition's icons by file name: the toy at 192 and 512 pixels, and at 512 pixels
    // with a full background and the toy within the central circle of 80 % ("maskable": a
    // launcher may cut it to a circle or any other shape); 1x only.
    std::map<std::string, QImage> WebIcons;
    // The same icon as SVG, drawn from the face's shapes and the display's pictures; 1x only.
    std::string IconSvg;
};

// `panelPictures` are the panel's pictures as DrawAllPictures gives them for `scale`;
// `fontFile` is the panel's bold face. Needs a QGuiApplication. Throws std::runtime_error when
// a panel picture is missing or the font cannot be loaded.
DialogPictures DrawDialogPictures(const std::map<std::string, QImage>& panelPictures,
                                  const QString& fontFile, int scale = 1);

}  // namespace zarq::assetgen
