// The boxed toy, the author's photograph and the icon. The toy in them is the panel itself,
// painted from its pictures with a race on the screen and reduced with area averaging; the
// rest is drawn with QPainter at the final size, so the printing stays crisp at 1:1. The two
// dialogs' pictures are drawn in logical units of the dialog's pixels: a finer set is the
// same drawing under a scaled painter, its toy reduced from the finer panel pictures, never
// an enlargement. The only noise is the photograph's grain, from fixed seeds, so every run
// gives the same pictures.
#include "tools/assetgen/pictures/DialogPictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QTransform>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <set>
#include <stdexcept>

#include "tools/assetgen/pictures/Catalogue.h"
#include "tools/assetgen/pictures/IconSvg.h"
#include "tools/assetgen/pictures/Outline.h"
#include "tools/assetgen/pictures/PanelPhoto.h"
#include "tools/assetgen/pictures/PanelScene.h"
#include "tools/assetgen/pictures/Relief.h"
#include "tools/assetgen/pictures/Typesetter.h"

namespace zarq::assetgen {

namespace {

// ---- Colours (sRGB), the panel's own where the toy's printing is meant -----------------
const QColor kBrandBlue(0x23, 0x4f, 0xb4);
const QColor kNavy(0x0a, 0x1a, 0x52);
const QColor kStripeYellow(0xff, 0xc8, 0x00);
const QColor kStripeOrange(0xff, 0x76, 0x00);
const QColor kStripeRed(0xdc, 0x1e, 0x1e);
const QColor kInk(0xf1, 0xf0, 0xea);

// ---- The toy, small ------------------------------------------------------------------------

// Draws `picture`, which has `scale` pixels per logical unit, with its top left at `at`.
void DrawFine(QPainter& paint, QPointF at, const QImage& picture, int scale) {
    paint.drawImage(QRectF(at, QSizeF(picture.size()) / scale), picture);
}

// A race under way, as a box or an icon shows it: a trail through the lattice ending at the
// player's cyan dash, lives on both sides, a score and the whole boss.
std::vector<ShownElement> RaceOnScreen(const TForm1& form) {
    // (column, row) of the lit bars, row 1 at the bottom.
    constexpr int kTrailH[][2] = {{1, 5}, {2, 5}, {3, 5}, {5, 2}, {6, 2}, {2, 1}, {3, 1},
                                  {4, 1}, {6, 4}, {7, 4}, {5, 5}, {6, 5}, {1, 3}, {2, 3}};
    constexpr int kTrailV[][2] = {{4, 5}, {4, 4}, {5, 3}, {5, 2}, {7, 3}, {2, 2}, {1, 4}};
    std::set<const TImage*> lit = {form.Im_Base, form.Im_BaseScreen, form.Puls_Speed, form.Puls_On,
                                   form.BarH[4][3]};
    for (const auto& cell : kTrailH) lit.insert(form.BarH[cell[0]][cell[1]]);
    for (const auto& cell : kTrailV) lit.insert(form.BarV[cell[0]][cell[1]]);
    for (int i = 1; i <= 3; ++i) lit.insert(form.ZarqFigure[i].Body);
    for (int i = 1; i <= 2; ++i) lit.insert(form.KrevFigure[i].Body);
    for (int i = 5; i <= 7; ++i) lit.insert(form.XomImage[i]);
    for (int i = 1; i <= 4; ++i) lit.insert(form.DigitPos[i]);
    const char* score[] = {"Im_Num0", "Im_Num3", "Im_Num5", "Im_Num0"};
    std::map<const TImage*, std::string> digits;
    for (int i = 1; i <= 4; ++i) digits[form.DigitPos[i]] = score[i - 1];
    return ElementsShown(
        form, [&lit](const TImage& image) { return lit.count(&image) != 0; }, digits);
}

// The whole lattice lit with the figures and the boss: at icon size single bars fade into
// the dark, while a full screen still reads as a lit display.
std::vector<ShownElement> ScreenAllLit(const TForm1& form) {
    std::set<const TImage*> lit = {form.Im_Base, form.Im_BaseScreen, form.Puls_Speed, form.Puls_On};
    for (int c = 1; c <= 7; ++c) {
        for (int r = 1; r <= 5; ++r) {
            lit.insert(form.BarH[c][r]);
            lit.insert(form.BarV[c][r]);
        }
    }
    for (int i = 1; i <= 5; ++i) lit.insert(form.ZarqFigure[i].Body);
    for (int i = 1; i <= 4; ++i) lit.insert(form.KrevFigure[i].Body);
    for (int i = 1; i <= 18; ++i) lit.insert(form.XomImage[i]);
    for (int i = 1; i <= 4; ++i) lit.insert(form.DigitPos[i]);
    std::map<const TImage*, std::string> digits;
    for (int i = 1; i <= 4; ++i) digits[form.DigitPos[i]] = "Im_Num8";
    return ElementsShown(
        form, [&lit](const TImage& image) { return lit.count(&image) != 0; }, digits);
}

// The panel reduced to `height` pixels, premultiplied, transparent outside the outline.
// Averaging over many pixels softens it; a little unsharp masking gives back the edges of
// the screen, the stripes and the name.
QImage SmallToy(const QImage& panel, int height, float sharpen) {
    const int width = static_cast<int>(std::lround(height * double(kPanelWidth) / kPanelHeight));
    QImage small = panel.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                       .scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    std::array<Field, 3> channel{Field(width, height), Field(width, height), Field(width, height)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QRgb p = small.pixel(x, y);
            channel[0].At(x, y) = static_cast<float>(qRed(p));
            channel[1].At(x, y) = static_cast<float>(qGreen(p));
            channel[2].At(x, y) = static_cast<float>(qBlue(p));
        }
    }
    std::array<Field, 3> soft{Blur(channel[0], 0.8F), Blur(channel[1], 0.8F),
                              Blur(channel[2], 0.8F)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int alpha = qAlpha(small.pixel(x, y));
            int c[3];
            for (std::size_t i = 0; i < 3; ++i) {
                const float v = channel[i].At(x, y);
                const float sharp = v + sharpen * (v - soft[i].At(x, y));
                c[i] = std::clamp(static_cast<int>(std::lround(sharp)), 0, alpha);
            }
            small.setPixel(x, y, qRgba(c[0], c[1], c[2], alpha));
        }
    }
    return small;
}

// A soft shadow of `picture`'s shape: black, `strength` opaque at most, blurred by `sigma`,
// on a canvas `margin` pixels larger on every side.
QImage SoftShadow(const QImage& picture, float sigma, int margin, float strength) {
    Field alpha(picture.width() + 2 * margin, picture.height() + 2 * margin);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            alpha.At(x + margin, y + margin) =
                static_cast<float>(qAlpha(picture.pixel(x, y))) / 255.0F;
        }
    }
    const Field soft = Blur(alpha, sigma);
    QImage shadow(alpha.Width(), alpha.Height(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < shadow.height(); ++y) {
        for (int x = 0; x < shadow.width(); ++x) {
            const int a =
                std::clamp(static_cast<int>(std::lround(soft.At(x, y) * strength * 255)), 0, 255);
            shadow.setPixel(x, y, qRgba(0, 0, 0, a));
        }
    }
    return shadow;
}

// ---- Printing ------------------------------------------------------------------------------

// The toy's name as on the panel: slanted, wider, with speed lines trailing to the left;
// `height` is the letters' height, the whole fitted around `centre`.
QPainterPath Logo(const Typesetter& type, double height, QPointF centre) {
    QPainterPath name = type.Text(QStringLiteral("ZARQ"), 100, QPointF(0, 0), 0, -2.0);
    QTransform shape;
    shape.shear(-0.24, 0);
    shape.scale(1.12, 1.0);
    name = shape.map(name);
    const double k = height / name.boundingRect().height();
    name = QTransform::fromScale(k, k).map(name);
    QRectF box = name.boundingRect();
    QPainterPath lines;
    const double unit = height / 62.0;  // the panel's letters are about 62 pixels high
    const double right = box.left() + 12 * unit;
    const double tops[] = {14, 28, 42};
    const double lengths[] = {36, 50, 32};
    for (int i = 0; i < 3; ++i) {
        lines.addRoundedRect(QRectF(right - lengths[i] * unit, box.top() + tops[i] * unit,
                                    lengths[i] * unit, 6 * unit),
                             3 * unit, 3 * unit);
    }
    QTransform lean;
    lean.translate(0, box.bottom());
    lean.shear(-0.24, 0);
    lean.translate(0, -box.bottom());
    QPainterPath logo = name.united(lean.map(lines)).simplified();
    box = logo.boundingRect();
    return QTransform::fromTranslate(centre.x() - box.center().x(), centre.y() - box.center().y())
        .map(logo);
}

// The panel's three stripes, `band` pixels each with `gap` between, from `top` down.
void PaintStripes(QPainter& paint, double left, double width, double top, double band, double gap) {
    const QColor colours[] = {kStripeYellow, kStripeOrange, kStripeRed};
    for (int i = 0; i < 3; ++i) {
        paint.fillRect(QRectF(left, top + i * (band + gap), width, band), colours[i]);
    }
}

// ---- The boxed toy -------------------------------------------------------------------------

// The box in an oblique view: the front face square to the viewer, so its printing stays
// crisp, with the top and the right side receding up and to the right.
constexpr double kFaceLeft = 5, kFaceTop = 26, kFaceWidth = 170, kFaceHeight = 256;
constexpr double kDepthX = 24, kDepthY = -20;

// Stripe heights on the front, shared with the side so they run round the corner.
constexpr double kUpperStripes = 60, kLowerStripes = 225, kStripe = 2.5, kStripeGap = 1.0;

void PaintFront(QPainter& paint, const Typesetter& type, const QImage& toy, int scale) {
    const QRectF face(0, 0, kFaceWidth, kFaceHeight);
    QLinearGradient ground(0, 0, 0, kFaceHeight);
    ground.setColorAt(0.0, QColor(0x0c, 0x22, 0x6c));
    ground.setColorAt(0.45, kBrandBlue);
    ground.setColorAt(1.0, QColor(0x0a, 0x1c, 0x5c));
    paint.fillRect(face, ground);

    // Rays from behind the toy, and a glow that lifts it off the ground.
    const QPointF heart(kFaceWidth / 2, 146);
    paint.save();
    paint.setClipRect(face);
    paint.setPen(Qt::NoPen);
    paint.setBrush(QColor(255, 255, 255, 16));
    constexpr int kRays = 18;
    for (int i = 0; i < kRays; ++i) {
        const double a0 = 2 * std::numbers::pi * i / kRays;
        const double a1 = a0 + std::numbers::pi / kRays;
        QPolygonF ray;
        ray << heart << heart + QPointF(400 * std::cos(a0), 400 * std::sin(a0))
            << heart + QPointF(400 * std::cos(a1), 400 * std::sin(a1));
        paint.drawPolygon(ray);
    }
    QRadialGradient glow(heart, 92);
    glow.setColorAt(0.0, QColor(0x9f, 0xd8, 0xff, 150));
    glow.setColorAt(0.55, QColor(0x5a, 0x9c, 0xff, 60));
    glow.setColorAt(1.0, QColor(0x5a, 0x9c, 0xff, 0));
    paint.setBrush(glow);
    paint.drawEllipse(heart, 92, 92);
    paint.restore();

    // The maker's badge.
    {
        const QRectF badge(6, 5, 38, 13);
        paint.setPen(QPen(kInk, 1.0));
        paint.setBrush(kStripeRed);
        paint.drawRoundedRect(badge, 6, 6);
        paint.setPen(Qt::NoPen);
        paint.setBrush(kInk);
        paint.drawPath(
            type.Text(QStringLiteral("Keldo"), 8, QPointF(badge.center().x(), 15.5), 0, 0.3));
    }

    // The name, and the stripes under it as on the panel.
    PaintLogo(paint, Logo(type, 34, QPointF(kFaceWidth / 2 + 6, 38)), 1.6);
    PaintStripes(paint, 0, kFaceWidth, kUpperStripes, kStripe, kStripeGap);

    // The toy, standing a little out of the picture.
    const QPointF at(std::round((kFaceWidth - double(toy.width()) / scale) / 2), 74);
    constexpr int kMargin = 8;
    DrawFine(paint, at + QPointF(3 - kMargin, 4 - kMargin),
             SoftShadow(toy, 3.0F * static_cast<float>(scale), kMargin * scale, 0.75F), scale);
    DrawFine(paint, at, toy, scale);

    // "3 games in 1" on a star beside the toy's screen.
    {
        const QPointF c(149, 156);
        QPolygonF star;
        constexpr int kPoints = 14;
        for (int i = 0; i < 2 * kPoints; ++i) {
            const double r = i % 2 == 0 ? 21.0 : 17.0;
            const double a = std::numbers::pi * i / kPoints - std::numbers::pi / 2;
            star << c + QPointF(r * std::cos(a), r * std::sin(a));
        }
        paint.setPen(QPen(QColor(0x8a, 0x10, 0x10), 1.0));
        paint.setBrush(QColor(0xff, 0xd8, 0x10));
        paint.drawPolygon(star);
        paint.setPen(Qt::NoPen);
        paint.setBrush(kStripeRed.darker(115));
        QTransform tilt;
        tilt.translate(c.x(), c.y());
        tilt.rotate(-12);
        tilt.translate(-c.x(), -c.y());
        QPainterPath words = type.Text(QStringLiteral("3"), 12, QPointF(c.x(), c.y() - 1.5), 0);
        words.addPath(type.Text(QStringLiteral("GAMES"), 5.6, QPointF(c.x(), c.y() + 6), 0, 0.3));
        words.addPath(type.Text(QStringLiteral("IN 1"), 5.6, QPointF(c.x(), c.y() + 13), 0, 0.3));
        paint.drawPath(tilt.map(words));
    }

    // The lower stripes and the line under them.
    PaintStripes(paint, 0, kFaceWidth, kLowerStripes, kStripe, kStripeGap);
    paint.fillRect(QRectF(0, 236, kFaceWidth, kFaceHeight - 236), QColor(0x07, 0x10, 0x38));
    paint.setPen(Qt::NoPen);
    paint.setBrush(kStripeYellow);
    paint.drawPath(type.Text(QStringLiteral("ELECTRONIC ACTION GAME"), 6.6,
                             QPointF(kFaceWidth / 2, 250), 0, 0.9));
}

void PaintSide(QPainter& paint, const Typesetter& type) {
    const QRectF side(0, 0, kDepthX, kFaceHeight);
    QLinearGradient ground(0, 0, 0, kFaceHeight);
    ground.setColorAt(0.0, QColor(0x0c, 0x22, 0x6c));
    ground.setColorAt(0.5, kBrandBlue.darker(110));
    ground.setColorAt(1.0, QColor(0x0a, 0x1c, 0x5c));
    paint.fillRect(side, ground);
    PaintStripes(paint, 0, kDepthX, kUpperStripes, kStripe, kStripeGap);
    PaintStripes(paint, 0, kDepthX, kLowerStripes, kStripe, kStripeGap);
    paint.fillRect(QRectF(0, 236, kDepthX, kFaceHeight - 236), QColor(0x07, 0x10, 0x38));
    // The name along the side, reading upwards.
    QPainterPath name = Logo(type, 13, QPointF(0, 0));
    QTransform up;
    up.translate(kDepthX / 2, 145);
    up.rotate(-90);
    paint.setPen(Qt::NoPen);
    PaintLogo(paint, up.map(name), 0.8);
    // Turned away from the light.
    paint.fillRect(side, QColor(0, 0, 0, 100));
}

void PaintTop(QPainter& paint) {
    const QRectF top(0, 0, kFaceWidth, 1);
    QLinearGradient light(0, 0, kFaceWidth, 0);
    light.setColorAt(0.0, kBrandBlue.lighter(135));
    light.setColorAt(1.0, kBrandBlue.lighter(105));
    paint.fillRect(top, light);
}

// `panel` is the whole panel `scale` times finer than its pixels; so is the box.
QImage DrawBoxedToy(const Typesetter& type, const QImage& panel, int scale) {
    QImage box(kBoxedToySize * scale, QImage::Format_ARGB32_Premultiplied);
    box.fill(Qt::black);
    QPainter paint(&box);
    paint.setRenderHint(QPainter::Antialiasing, true);
    paint.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const QTransform fine = QTransform::fromScale(scale, scale);
    paint.setTransform(fine);

    const QImage toy = SmallToy(panel, 144 * scale, 0.6F);

    // Top: unit square (x along the width, y into the depth) onto its parallelogram.
    paint.save();
    paint.setTransform(QTransform(1, 0, kDepthX, kDepthY, kFaceLeft, kFaceTop) * fine);
    PaintTop(paint);
    paint.restore();

    // Side: x into the depth, y down the height.
    paint.save();
    paint.setTransform(QTransform(1, kDepthY / kDepthX, 0, 1, kFaceLeft + kFaceWidth, kFaceTop) *
                       fine);
    PaintSide(paint, type);
    paint.restore();

    paint.save();
    paint.translate(kFaceLeft, kFaceTop);
    PaintFront(paint, type, toy, scale);
    paint.restore();

    // Light catching the front edges.
    const QPointF a(kFaceLeft, kFaceTop), b(kFaceLeft + kFaceWidth, kFaceTop),
        c(kFaceLeft + kFaceWidth, kFaceTop + kFaceHeight);
    paint.setPen(QPen(QColor(255, 255, 255, 120), 1.0));
    paint.drawLine(a + QPointF(0, 0.5), b + QPointF(0, 0.5));
    paint.setPen(QPen(QColor(255, 255, 255, 60), 1.0));
    paint.drawLine(b + QPointF(-0.5, 0), c + QPointF(-0.5, 0));
    paint.end();
    return box.convertToFormat(QImage::Format_RGB32);
}

// ---- The author's photograph ---------------------------------------------------------------

// `panel` and `boxedToy` are `scale` times finer than their pixels; so is the photograph.
QImage DrawAuthorPhoto(const QImage& panel, const QImage& boxedToy, int scale) {
    const int w = kAuthorPhotoSize.width();
    const int h = kAuthorPhotoSize.height();
    const QRect whole(0, 0, w, h);
    QImage photo(kAuthorPhotoSize * scale, QImage::Format_ARGB32_Premultiplied);
    photo.fill(Qt::black);
    QPainter paint(&photo);
    paint.setRenderHint(QPainter::Antialiasing, true);
    paint.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const QTransform fine = QTransform::fromScale(scale, scale);
    paint.setTransform(fine);
    paint.setPen(Qt::NoPen);

    const QPointF lamp(214, 17);  // the bulb under the lamp's shade

    // The wall, lit warm by the desk lamp.
    {
        QLinearGradient wall(0, 0, w, 0);
        wall.setColorAt(0.0, QColor(0x3a, 0x26, 0x1a));
        wall.setColorAt(1.0, QColor(0x5a, 0x36, 0x1e));
        paint.fillRect(whole, wall);
        QRadialGradient light(lamp, 160);
        light.setColorAt(0.0, QColor(0xff, 0xc8, 0x78, 210));
        light.setColorAt(0.35, QColor(0xe8, 0x90, 0x48, 110));
        light.setColorAt(1.0, QColor(0xe8, 0x90, 0x48, 0));
        paint.setBrush(light);
        paint.drawRect(whole);
    }

    // A shelf with boxed toys.
    {
        paint.setBrush(QColor(0x5c, 0x36, 0x1a));
        paint.drawRect(QRectF(96, 27, w - 96, 4));
        paint.setBrush(QColor(0x8a, 0x58, 0x2e));
        paint.drawRect(QRectF(96, 27, w - 96, 1));
        const QImage little = boxedToy.scaled(16 * scale, 22 * scale, Qt::IgnoreAspectRatio,
                                              Qt::SmoothTransformation);
        DrawFine(paint, QPointF(104, 5), little, scale);
        const QColor boxes[] = {QColor(0xb8, 0x24, 0x20), QColor(0x1e, 0x6a, 0x3a),
                                QColor(0xd8, 0x9a, 0x18)};
        const QRectF places[] = {{123, 9, 13, 18}, {138, 12, 18, 15}, {158, 7, 12, 20}};
        for (int i = 0; i < 3; ++i) {
            paint.setBrush(boxes[i]);
            paint.drawRect(places[i]);
            paint.setBrush(QColor(255, 255, 255, 70));
            paint.drawRect(
                QRectF(places[i].left() + 2, places[i].top() + 3, places[i].width() - 4, 3));
            paint.setBrush(QColor(0, 0, 0, 60));
            paint.drawRect(QRectF(places[i].right() - 2, places[i].top(), 2, places[i].height()));
        }
    }

    // The desk.
    {
        QLinearGradient wood(0, 62, 0, h);
        wood.setColorAt(0.0, QColor(0xa8, 0x68, 0x38));
        wood.setColorAt(0.15, QColor(0x7e, 0x4a, 0x24));
        wood.setColorAt(1.0, QColor(0x3c, 0x22, 0x10));
        paint.setBrush(wood);
        paint.drawRect(QRectF(0, 62, w, h - 62));
        paint.setBrush(QColor(0xe0, 0xa0, 0x60));
        paint.drawRect(QRectF(0, 62, w, 1));
        // The grain of the top, along the desk.
        for (int i = 0; i < 5; ++i) {
            const double y = 66 + 3.4 * i;
            paint.setPen(QPen(QColor(0x30, 0x18, 0x08, 60), 0.6));
            QPainterPath line;
            line.moveTo(0, y);
            for (int x = 0; x <= w; x += 12) {
                line.lineTo(x, y + 0.6 * std::sin(x * 0.05 + i * 1.7));
            }
            paint.drawPath(line);
        }
        paint.setPen(Qt::NoPen);
        // The pool of light under the lamp.
        QRadialGradient pool(QPointF(196, 68), 70);
        pool.setColorAt(0.0, QColor(0xff, 0xc0, 0x70, 120));
        pool.setColorAt(1.0, QColor(0xff, 0xc0, 0x70, 0));
        paint.save();
        paint.setClipRect(QRectF(0, 63, w, h - 63));
        paint.setTransform(QTransform::fromScale(1.0, 0.35) * QTransform::fromTranslate(0, 44) *
                           fine);
        paint.setBrush(pool);
        paint.drawEllipse(QPointF(196, 68), 70, 70);
        paint.restore();
    }

    // The toy itself, standing on the desk, with its shadow thrown away from the lamp.
    {
        const QImage toy = SmallToy(panel, 38 * scale, 0.5F);
        const double toyHeight = double(toy.height()) / scale;
        const QPointF at(122, 66 - toyHeight + 1);
        QImage shadow = SoftShadow(toy, 1.6F * static_cast<float>(scale), 4 * scale, 0.7F);
        QTransform lay;
        lay.translate(at.x() - 4, 66);
        lay.shear(-1.1, 0);
        lay.scale(1.0, 0.22);
        lay.translate(0, -toyHeight - 4);
        paint.setTransform(lay * fine);
        DrawFine(paint, QPointF(0, 0), shadow, scale);
        paint.setTransform(fine);
        DrawFine(paint, at, toy, scale);
    }

    // A pocket game with a grey liquid-crystal screen, lying on the desk.
    {
        paint.save();
        paint.translate(170, 69);
        paint.rotate(-8);
        paint.setBrush(QColor(0, 0, 0, 90));
        paint.drawRoundedRect(QRectF(-15, -6.5, 32, 16), 3, 3);
        QLinearGradient shell(0, -8, 0, 8);
        shell.setColorAt(0.0, QColor(0xe4, 0xdc, 0xcc));
        shell.setColorAt(1.0, QColor(0x9c, 0x92, 0x84));
        paint.setBrush(shell);
        paint.drawRoundedRect(QRectF(-16, -8, 32, 15), 3, 3);
        paint.setBrush(QColor(0x30, 0x2c, 0x2a));
        paint.drawRect(QRectF(-10, -6, 16, 11));
        paint.setBrush(QColor(0x9c, 0xa8, 0x80));
        paint.drawRect(QRectF(-9, -5, 14, 9));
        paint.setBrush(QColor(0x30, 0x38, 0x28));
        for (int i = 0; i < 4; ++i) paint.drawRect(QRectF(-8 + 3.3 * i, -1, 2.2, 1));
        paint.drawRect(QRectF(-3, -4, 2, 2));
        paint.setBrush(QColor(0xb8, 0x20, 0x1c));
        paint.drawEllipse(QPointF(10, -2), 2, 2);
        paint.drawEllipse(QPointF(12.5, 2.2), 2, 2);
        paint.restore();
    }

    // A second tabletop game, orange, its screen glowing.
    {
        const QRectF body(191, 39, 22, 27);
        paint.setBrush(QColor(0, 0, 0, 100));
        paint.drawEllipse(QRectF(body.left() - 7, 63, body.width() + 6, 5));
        QLinearGradient plastic(body.topLeft(), body.topRight());
        plastic.setColorAt(0.0, QColor(0x9a, 0x30, 0x08));
        plastic.setColorAt(0.7, QColor(0xf0, 0x68, 0x18));
        plastic.setColorAt(1.0, QColor(0xff, 0x9a, 0x40));
        paint.setBrush(plastic);
        QPainterPath shape;
        shape.moveTo(body.left() + 2, body.bottom());
        shape.lineTo(body.left(), body.top() + 4);
        shape.quadTo(body.left(), body.top(), body.left() + 4, body.top());
        shape.lineTo(body.right() - 4, body.top());
        shape.quadTo(body.right(), body.top(), body.right(), body.top() + 4);
        shape.lineTo(body.right() - 2, body.bottom());
        shape.closeSubpath();
        paint.drawPath(shape);
        paint.setBrush(QColor(0x10, 0x0c, 0x0a));
        paint.drawRect(QRectF(body.left() + 4, body.top() + 4, 14, 10));
        paint.setBrush(QColor(0xff, 0x40, 0x30));
        paint.drawRect(QRectF(body.left() + 6, body.top() + 9, 3, 1));
        paint.setBrush(QColor(0x40, 0xff, 0x80));
        paint.drawRect(QRectF(body.left() + 12, body.top() + 6, 1, 3));
        paint.drawRect(QRectF(body.left() + 10, body.top() + 11, 4, 1));
        paint.setBrush(QColor(0xff, 0xd0, 0x20));
        paint.drawEllipse(QPointF(body.left() + 16, body.top() + 20), 2, 2);
        paint.setBrush(QColor(0x20, 0x14, 0x10));
        paint.drawRect(QRectF(body.left() + 4, body.top() + 18, 6, 3));
    }

    // The desk lamp on the right, its shade over the bulb.
    {
        paint.setPen(QPen(QColor(0x1c, 0x1a, 0x18), 2.2, Qt::SolidLine, Qt::RoundCap));
        paint.drawLine(QPointF(240, 66), QPointF(246, 34));
        paint.drawLine(QPointF(246, 34), QPointF(226, 10));
        paint.setPen(Qt::NoPen);
        paint.setBrush(QColor(0x1c, 0x1a, 0x18));
        paint.drawEllipse(QRectF(230, 63, 20, 6));
        QPainterPath shade;
        shade.moveTo(220, 4);
        shade.lineTo(232, 9);
        shade.lineTo(222, 25);
        shade.lineTo(203, 17);
        shade.closeSubpath();
        paint.setBrush(QColor(0x2a, 0x40, 0x2c));
        paint.drawPath(shade);
        QRadialGradient bulb(lamp, 14);
        bulb.setColorAt(0.0, QColor(0xff, 0xfa, 0xe0, 255));
        bulb.setColorAt(0.3, QColor(0xff, 0xe0, 0x90, 200));
        bulb.setColorAt(1.0, QColor(0xff, 0xc0, 0x60, 0));
        paint.setBrush(bulb);
        paint.drawEllipse(lamp, 14, 14);
    }

    // The author: a figure in a sweater at the left, lit from the lamp's side.
    {
        const double cx = 44;
        QPainterPath shoulders;
        shoulders.moveTo(2, h);
        shoulders.cubicTo(4, 66, 14, 58, 32, 55);
        shoulders.lineTo(56, 55);
        shoulders.cubicTo(74, 58, 84, 66, 86, h);
        shoulders.closeSubpath();
        QLinearGradient knit(0, 0, 88, 0);
        knit.setColorAt(0.0, QColor(0x10, 0x26, 0x2a));
        knit.setColorAt(0.7, QColor(0x24, 0x50, 0x52));
        knit.setColorAt(1.0, QColor(0x5a, 0x7a, 0x6a));
        paint.setBrush(knit);
        paint.drawPath(shoulders);
        // The shirt collar in the neck of the sweater.
        QPainterPath collar;
        collar.moveTo(34, 55);
        collar.lineTo(cx, 66);
        collar.lineTo(54, 55);
        collar.closeSubpath();
        paint.setBrush(QColor(0xd8, 0xd0, 0xc0));
        paint.drawPath(collar);
        // Neck, head and ear.
        QLinearGradient skin(26, 0, 62, 0);
        skin.setColorAt(0.0, QColor(0x7a, 0x4a, 0x30));
        skin.setColorAt(0.6, QColor(0xc8, 0x8a, 0x60));
        skin.setColorAt(1.0, QColor(0xf0, 0xbc, 0x8c));
        paint.setBrush(skin);
        paint.drawRect(QRectF(39, 42, 10, 14));
        paint.setBrush(QColor(0, 0, 0, 60));
        paint.drawRect(QRectF(39, 44, 10, 4));
        paint.setBrush(skin);
        paint.drawEllipse(QPointF(cx, 32), 12.5, 15.5);
        paint.drawEllipse(QPointF(56.5, 33.5), 2.6, 4);
        // Hair: short and dark, a little grey at the temple.
        QPainterPath crown;
        crown.addEllipse(QPointF(cx, 30.5), 13.8, 15.5);
        QPolygonF above;
        above << QPointF(29, 37) << QPointF(32, 36) << QPointF(33.5, 28) << QPointF(38, 22.5)
              << QPointF(46, 21.5) << QPointF(53, 23.5) << QPointF(55.5, 29) << QPointF(56.5, 33)
              << QPointF(60, 33) << QPointF(60, 0) << QPointF(29, 0);
        QPainterPath hairline;
        hairline.addPolygon(above);
        paint.setBrush(QColor(0x2c, 0x1c, 0x14));
        paint.drawPath(crown.intersected(hairline));
        paint.setBrush(QColor(0x7a, 0x6a, 0x5c));
        paint.drawRect(QRectF(55.2, 27, 1.6, 3));
        // Glasses and eyes.
        paint.setBrush(QColor(0x1a, 0x12, 0x10));
        paint.drawEllipse(QPointF(39, 33), 1.2, 1.2);
        paint.drawEllipse(QPointF(50, 33), 1.2, 1.2);
        paint.setBrush(Qt::NoBrush);
        paint.setPen(QPen(QColor(0x1a, 0x14, 0x12), 1.1));
        paint.drawRoundedRect(QRectF(34, 29.5, 9.5, 7), 2, 2);
        paint.drawRoundedRect(QRectF(45.5, 29.5, 9.5, 7), 2, 2);
        paint.drawLine(QPointF(43.5, 32), QPointF(45.5, 32));
        paint.drawLine(QPointF(55, 32), QPointF(57.5, 31));
        // A smile.
        paint.setPen(QPen(QColor(0x6a, 0x30, 0x24), 1.0, Qt::SolidLine, Qt::RoundCap));
        paint.drawArc(QRectF(39, 37, 10, 6), 200 * 16, 140 * 16);
        paint.setPen(Qt::NoPen);
    }
    paint.end();

    // Develop it like a print: a warm cast, darker corners and a fine grain (one grain per
    // pixel, at every scale). A pixel's place is taken at its centre in the dialog's pixels.
    QImage out(photo.size(), QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y) {
        for (int x = 0; x < photo.width(); ++x) {
            const QRgb p = photo.pixel(x, y);
            const double px = (x + 0.5) / scale - 0.5;
            const double py = (y + 0.5) / scale - 0.5;
            const double dx = (px - w / 2.0) / (w / 2.0);
            const double dy = (py - h / 2.0) / (h / 2.0);
            const double vignette =
                1.0 - 0.28 * std::pow(std::min(1.0, (dx * dx * 0.6 + dy * dy * 0.5)), 1.5);
            const double grain = HashNoise(x, y, 91U) * 4.0;
            const double r = qRed(p) * 1.04 * vignette + grain;
            const double g = qGreen(p) * 0.99 * vignette + grain;
            const double b = qBlue(p) * 0.90 * vignette + grain;
            out.setPixel(x, y,
                         qRgb(std::clamp(static_cast<int>(std::lround(r)), 0, 255),
                              std::clamp(static_cast<int>(std::lround(g)), 0, 255),
                              std::clamp(static_cast<int>(std::lround(b)), 0, 255)));
        }
    }
    return out;
}

// ---- The icon ------------------------------------------------------------------------------

// The toy reduced straight from the full panel at each size, never from another icon, with a
// margin of a pixel per 64. The smaller the icon, the more the averaging softens it, so the
// small ones get more of the sharpening back.
QImage DrawIcon(const QImage& panel, int size) {
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    const int margin = std::max(1, size / 64);
    const float sharpen = size <= 64 ? 0.8F : size <= 128 ? 0.6F : 0.4F;
    const QImage toy = SmallToy(panel, size - 2 * margin, sharpen);
    QPainter paint(&icon);
    paint.drawImage(QPointF((size - toy.width()) / 2, margin), toy);
    paint.end();
    return icon.convertToFormat(QImage::Format_ARGB32);
}

// The toy on the page's own background, its whole box within the central circle of 80 % of the
// square's width (61 % of the height: the box's diagonal is 1.31 times its height): whatever shape
// a launcher cuts from the square, the toy stays whole.
QImage DrawMaskableIcon(const QImage& panel, int size) {
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(QColor(0x10, 0x14, 0x18));
    const QImage toy = SmallToy(panel, size * 61 / 100, 0.4F);
    QPainter paint(&icon);
    paint.drawImage(QPointF((size - toy.width()) / 2, (size - toy.height()) / 2), toy);
    paint.end();
    return icon.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

DialogPictures DrawDialogPictures(const std::map<std::string, QImage>& panelPictures,
                                  const QString& fontFile, int scale) {
    const Typesetter type(fontFile);
    const InertPanel inert;
    const QImage panel = PaintPanel(RaceOnScreen(inert.Form()), panelPictures, 0x00000000U, scale);

    DialogPictures pictures;
    const QImage boxed = DrawBoxedToy(type, panel, scale);
    pictures.Dialogs["Im_Piccina"] = boxed;
    pictures.Dialogs["Im_Foto"] = DrawAuthorPhoto(panel, boxed, scale);
    if (scale != 1) return pictures;
    const QImage lit = PaintPanel(ScreenAllLit(inert.Form()), panelPictures, 0x00000000U);
    for (const int size : kIconSizes) pictures.Icons[size] = DrawIcon(lit, size);
    for (const int size : {192, 512}) {
        pictures.WebIcons["zarq-simulator-" + std::to_string(size) + ".png"] = DrawIcon(lit, size);
    }
    pictures.WebIcons["zarq-simulator-maskable-512.png"] = DrawMaskableIcon(lit, 512);
    pictures.IconSvg =
        DrawIconSvg(FaceShapes(LayoutOf(inert.Form()), fontFile), ScreenAllLit(inert.Form()),
                    panelPictures, {"Im_Base", "Puls_Speed", "Puls_On", "Puls_Off"});
    return pictures;
}

}  // namespace zarq::assetgen
