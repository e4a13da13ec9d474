// The photographs of the panel: the toy's body seen from the front (Im_Base), the speed
// button at rest (Puls_Speed) and the power switch in both positions (Puls_On, Puls_Off).
// They are rendered from one relief of the moulded body, lit like a product photograph, so
// the button and switch pictures match the body around them.
#pragma once

#include <QGradient>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRect>
#include <QString>
#include <vector>

#include "core/panel/Unit1.h"

namespace zarq::assetgen {

// Where the body's features sit, taken from the panel's own controls.
struct PanelLayout {
    QRect Screen;       // the display window's opening (Im_BaseScreen)
    QRect Pad;          // the four-way pad (Puls_Move)
    QRect SpeedSeat;    // the round button's click area (Puls_Speed2)
    QRect SpeedButton;  // the picture of the button at rest (Puls_Speed)
    QRect Switch;       // the power switch pictures (Puls_On, Puls_Off)
};

PanelLayout LayoutOf(const TForm1& form);

struct PanelPhotos {
    QImage Base;         // 490 x 580 times the scale, white outside the outline
    QImage SpeedButton;  // the button up; the body photograph shows it held down
    QImage SwitchOn;
    QImage SwitchOff;
};

// `fontFile` is the bold sans-serif face the printing and the name are set in; `scale` (1, 2
// or 3) the photographs' pixels per panel pixel each way: the same body, lit alike, sampled
// finer. Needs a QGuiApplication for the font. Throws std::runtime_error if the font cannot
// be loaded.
PanelPhotos RenderPanelPhotos(const PanelLayout& layout, const QString& fontFile, int scale = 1);

// The toy's name as printed on it: a dark red outline `outline` pixels wide around a
// yellow-to-orange fill. The panel and the box share it.
void PaintLogo(QPainter& paint, const QPainterPath& logo, double outline);

// The name's fill, from the top (0) to the bottom (1) of the name's box.
QGradientStops LogoGradient();

// One flat part of the body's face, in panel pixels: filled with `Colour`, or with `Gradient`
// from the top to the bottom of the path's box when that is not empty.
struct FaceShape {
    QPainterPath Path;
    QColor Colour;
    QGradientStops Gradient;
};

// The body's face as flat shapes, back to front: the outline in the body's blue, the stripes,
// the display bezel with the screen's opening, the name, the control deck with the pad, the
// button and the power switch (on), the speaker slots and the printing. They are the shapes
// the photograph is modelled from, without its relief and light; the scalable icon is drawn
// from them. Needs a QGuiApplication for the font.
std::vector<FaceShape> FaceShapes(const PanelLayout& layout, const QString& fontFile);

}  // namespace zarq::assetgen
