// The panel photograph. The body is modelled as a relief (a height for every pixel, at twice
// the final resolution): the moulded rim that follows the outline, the parting line, the
// stepped base, the display bezel, the raised name, the recessed control deck with its pad,
// button seat and switch slot, and the speaker slots. Printing and plastic colours go into an
// albedo picture. A key light from the upper left with soft shadows, a fill light, ambient
// occlusion and the reflection of a soft box on the glossy parts then make the photograph,
// which is reduced to its final size with a little film grain. All noise comes from fixed
// seeds, so every run gives the same picture.
#include "tools/assetgen/pictures/PanelPhoto.h"

#include <QPainter>
#include <QPainterPathStroker>
#include <QTransform>
#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

#include "tools/assetgen/pictures/Outline.h"
#include "tools/assetgen/pictures/OutlineAlpha.h"
#include "tools/assetgen/pictures/Relief.h"
#include "tools/assetgen/pictures/Typesetter.h"

namespace zarq::assetgen {

namespace {

// Where the stand begins: the lowest part of the body stands out a little further.
constexpr double kBaseTop = 500;

// ---- Colours (sRGB) ---------------------------------------------------------------------
const QColor kBodyBlue(0x23, 0x4f, 0xb4);
const QColor kBezelBlack(0x0d, 0x0e, 0x11);
const QColor kBezelTrim(0x9c, 0xa3, 0xad);
const QColor kDeck(0x22, 0x24, 0x2a);
const QColor kPadBlack(0x16, 0x17, 0x1a);
const QColor kPadArrow(0x8e, 0x92, 0x99);
const QColor kButtonRed(0xd0, 0x1a, 0x1a);
const QColor kSlotBlack(0x06, 0x06, 0x07);
const QColor kKnob(0xb9, 0xbd, 0xc4);
const QColor kInk(0xf1, 0xf0, 0xea);
const QColor kStripeYellow(0xff, 0xc8, 0x00);
const QColor kStripeOrange(0xff, 0x76, 0x00);
const QColor kStripeRed(0xdc, 0x1e, 0x1e);
const QColor kLogoOutline(0x7a, 0x0c, 0x0c);

// ---- Small helpers ----------------------------------------------------------------------

// sRGB to linear light for every 8-bit level.
std::array<float, 256> LinearTable() {
    std::array<float, 256> table{};
    for (int i = 0; i < 256; ++i) {
        const float c = static_cast<float>(i) / 255.0F;
        table[static_cast<std::size_t>(i)] =
            c <= 0.04045F ? c / 12.92F : std::pow((c + 0.055F) / 1.055F, 2.4F);
    }
    return table;
}

int ToSrgb8(float linear) {
    const float c = std::clamp(linear, 0.0F, 1.0F);
    const float s = c <= 0.0031308F ? c * 12.92F : 1.055F * std::pow(c, 1.0F / 2.4F) - 0.055F;
    return std::clamp(static_cast<int>(std::lround(s * 255.0F)), 0, 255);
}

struct Vec3 {
    float x, y, z;
};
Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 operator*(Vec3 a, float k) {
    return {a.x * k, a.y * k, a.z * k};
}
float Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
float Length(Vec3 a) {
    return std::sqrt(Dot(a, a));
}
Vec3 Normalize(Vec3 a) {
    return a * (1.0F / Length(a));
}

float SmoothStep(float a, float b, float v) {
    const float t = Clamp01((v - a) / (b - a));
    return t * t * (3 - 2 * t);
}

QPainterPath RoundedRect(double left, double top, double width, double height, double radius) {
    QPainterPath path;
    path.addRoundedRect(QRectF(left, top, width, height), radius, radius);
    return path;
}

QPainterPath Circle(QPointF centre, double radius) {
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

// ---- The body's layout --------------------------------------------------------------------

struct Geometry {
    QRect screen;
    QRectF bezel;
    QRectF opening;
    QRectF deck;
    QPointF padCentre;
    double padHalfWidth, padHalfHeight, padArm;
    QPointF buttonCentre;
    double buttonRadius, seatRadius;
    QRectF switchFrame, slot;
    QRectF knobOff, knobOn;
};

Geometry GeometryOf(const PanelLayout& l) {
    Geometry g;
    g.screen = l.Screen;
    const QRectF screen(l.Screen);
    g.opening = screen.adjusted(-6, -6, 6, 6);
    g.bezel = screen.adjusted(-19, -21, 19, 22);
    g.deck = QRectF(34, 386, 422, 110);
    g.padCentre = QRectF(l.Pad).center();
    g.padHalfWidth = l.Pad.width() / 2.0 - 4;
    g.padHalfHeight = l.Pad.height() / 2.0 - 3;
    g.padArm = 14;
    // The button sits in the middle of its picture, so the picture holds it and its seat.
    g.buttonCentre = QRectF(l.SpeedButton).center();
    g.buttonRadius = 17.5;
    g.seatRadius = 22.5;
    const QRectF sw(l.Switch);
    g.switchFrame = sw.adjusted(2, 2, -2, -2);
    g.slot = QRectF(sw.left() + 6, sw.center().y() - 3.5, sw.width() - 12, 7);
    const double knobWidth = 19;
    g.knobOff = QRectF(sw.left() + 6.5, sw.top() + 4, knobWidth, sw.height() - 8);
    g.knobOn =
        QRectF(sw.left() + sw.width() - 6.5 - knobWidth, sw.top() + 4, knobWidth, sw.height() - 8);
    return g;
}

QPainterPath PadCross(const Geometry& g, double grow) {
    const QPointF c = g.padCentre;
    const double arm = g.padArm + grow;
    QPainterPath across = RoundedRect(c.x() - g.padHalfWidth - grow, c.y() - arm,
                                      2 * (g.padHalfWidth + grow), 2 * arm, 6 + grow);
    QPainterPath down = RoundedRect(c.x() - arm, c.y() - g.padHalfHeight - grow, 2 * arm,
                                    2 * (g.padHalfHeight + grow), 6 + grow);
    return across.united(down).simplified();
}

// The four arrows moulded into the pad's arms, pointing outwards.
QPainterPath PadArrows(const Geometry& g) {
    QPainterPath arrows;
    const QPointF c = g.padCentre;
    const double tipOut = g.padHalfWidth - 7;
    const double tipOutV = g.padHalfHeight - 7;
    auto triangle = [&](QPointF tip, QPointF back, double halfBase) {
        const QPointF dir = (tip - back) / std::hypot(tip.x() - back.x(), tip.y() - back.y());
        const QPointF side(-dir.y() * halfBase, dir.x() * halfBase);
        QPolygonF poly;
        poly << tip << back + side << back - side << tip;
        arrows.addPolygon(poly);
    };
    triangle(c + QPointF(tipOut, 0), c + QPointF(tipOut - 8, 0), 6);
    triangle(c - QPointF(tipOut, 0), c - QPointF(tipOut - 8, 0), 6);
    triangle(c + QPointF(0, tipOutV), c + QPointF(0, tipOutV - 8), 6);
    triangle(c - QPointF(0, tipOutV), c - QPointF(0, tipOutV - 8), 6);
    return arrows;
}

// The toy's name, slanted, with speed lines trailing to the left.
QPainterPath LogoLetters(const Typesetter& type) {
    QPainterPath name = type.Text("ZARQ", 86, QPointF(0, 0), 0, -2.0);
    // Wider and leaning forward.
    QTransform shape;
    shape.shear(-0.24, 0);
    shape.scale(1.12, 1.0);
    name = shape.map(name);
    const QRectF box = name.boundingRect();
    name = QTransform::fromTranslate(250 - box.center().x(), 104 - box.bottom()).map(name);
    return name;
}

QPainterPath SpeedLines(const QRectF& logoBox) {
    QPainterPath lines;
    const double right = logoBox.left() + 12;
    const double tops[] = {logoBox.top() + 14, logoBox.top() + 28, logoBox.top() + 42};
    const double lengths[] = {36, 50, 32};
    for (int i = 0; i < 3; ++i) {
        lines.addRoundedRect(QRectF(right - lengths[i], tops[i], lengths[i], 6), 3, 3);
    }
    // Lean them like the letters, about the name's baseline.
    QTransform lean;
    lean.translate(0, logoBox.bottom());
    lean.shear(-0.24, 0);
    lean.translate(0, -logoBox.bottom());
    return lean.map(lines).simplified();
}

// ---- Lighting -----------------------------------------------------------------------------

struct Light {
    Vec3 keyPosition{-330, -470, 1150};
    float key = 2.15F;
    Vec3 fillDirection = Normalize({0.75F, 0.25F, 0.6F});
    float fill = 0.22F;
    float ambient = 0.23F;
    Vec3 camera{245, 290, 1700};
    // A soft box above and to the left, seen in the glossy parts: its reflection lies across
    // the upper left of the face (in reflected-ray slopes: centre, half size, softness).
    float boxU = -0.07F, boxV = -0.075F, boxHalfU = 0.085F, boxHalfV = 0.05F, boxSoft = 0.04F;
};

// Everything that depends on how finely the relief is sampled: kScale samples per panel
// pixel each way. The photograph is made at a whole fraction of that.
template <int kScale>
struct Studio {
    static constexpr int kW = kPanelWidth * kScale;
    static constexpr int kH = kPanelHeight * kScale;

    // A relief feature: its coverage and its signed distance in final-size pixels.
    struct Shape {
        Field cover;
        Field dist;
    };

    static Shape MakeShape(const QPainterPath& path) {
        // Only the neighbourhood of the shape is measured: every profile is narrower than the
        // margin, and farther out the shape counts as far away.
        constexpr int kMargin = 16 * kScale;
        constexpr float kFarOutside = -1000.0F;
        const QRectF box = path.boundingRect();
        const int x0 = std::max(0, static_cast<int>(std::floor(box.left() * kScale)) - kMargin);
        const int y0 = std::max(0, static_cast<int>(std::floor(box.top() * kScale)) - kMargin);
        const int x1 = std::min(kW, static_cast<int>(std::ceil(box.right() * kScale)) + kMargin);
        const int y1 = std::min(kH, static_cast<int>(std::ceil(box.bottom() * kScale)) + kMargin);
        const QPainterPath local = QTransform::fromTranslate(-x0 / static_cast<double>(kScale),
                                                             -y0 / static_cast<double>(kScale))
                                       .map(path);
        const Field cover = Coverage(local, x1 - x0, y1 - y0, kScale);
        const Field dist = SignedDistance(cover);
        Shape shape{Field(kW, kH, 0.0F), Field(kW, kH, kFarOutside)};
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                shape.cover.At(x, y) = cover.At(x - x0, y - y0);
                shape.dist.At(x, y) = dist.At(x - x0, y - y0) / static_cast<float>(kScale);
            }
        }
        return shape;
    }

    // ---- The relief and the albedo ------------------------------------------------------------

    struct Scene {
        QRect blackout;  // the screen opening, always covered by the screen's own picture
        Field height{kW, kH};
        Field fixedHeight{kW, kH};  // without the parts that move, for ambient occlusion
        Field gloss{kW, kH, 0.55F};
        Field grain{kW, kH, 0.03F};  // amplitude of the fine surface texture
        QImage albedo{kW, kH, QImage::Format_RGB32};
        Field inside{kW, kH};
    };

    static void Blend(Field& field, const Field& cover, float value) {
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                const float c = cover.At(x, y);
                if (c > 0) field.At(x, y) = field.At(x, y) * (1 - c) + value * c;
            }
        }
    }

    template <typename F>
    static void ForEach(F&& f) {
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) f(x, y);
        }
    }

    // The outline as a smooth line through the middle of each band's edges.
    static QPainterPath SmoothOutline() {
        const std::vector<RegionRect> bands = OutlineBands();
        QPolygonF left;
        QPolygonF right;
        for (std::size_t i = 0; i < bands.size(); ++i) {
            const RegionRect& b = bands[i];
            const double middle = (b.Top + b.Bottom) / 2.0;
            if (i == 0) {
                left << QPointF(b.Left, b.Top);
                right << QPointF(b.Right, b.Top);
            }
            left << QPointF(b.Left, middle);
            right << QPointF(b.Right, middle);
            if (i + 1 == bands.size()) {
                left << QPointF(b.Left, b.Bottom);
                right << QPointF(b.Right, b.Bottom);
            }
        }
        return ShapeBetween(left, right);
    }

    // Distance inside the body to its smooth outline, in final-size pixels, measured on a field
    // with a margin so the top and bottom edges are edges too. A pixel inside the outline never
    // gets a negative distance, so the rim starts right at the window's mask.
    static Field SmoothBodyDistance(const Field& inside) {
        constexpr int kMargin = 4 * kScale;
        const QPainterPath path = QTransform::fromTranslate(kMargin / static_cast<double>(kScale),
                                                            kMargin / static_cast<double>(kScale))
                                      .map(SmoothOutline());
        const Field cover = Coverage(path, kW + 2 * kMargin, kH + 2 * kMargin, kScale);
        const Field padded = SignedDistance(cover);
        Field d(kW, kH);
        ForEach([&](int x, int y) {
            float v = padded.At(x + kMargin, y + kMargin) / static_cast<float>(kScale);
            if (inside.At(x, y) > 0.5F) v = std::max(v, 0.25F);
            d.At(x, y) = v;
        });
        return d;
    }

    static Scene BuildFixedScene(const Geometry& g, const Typesetter& type) {
        Scene scene;
        scene.blackout = g.screen;

        // The body inside the outline, with a rounded rim, the parting line and the stand. The
        // rim follows a smooth line through the outline's steps, so it shows no stair steps.
        ForEach([&](int x, int y) {
            scene.inside.At(x, y) = InsideOutline(x / kScale, y / kScale) ? 1.0F : 0.0F;
        });
        const Field edge = SmoothBodyDistance(scene.inside);
        ForEach([&](int x, int y) {
            const float d = edge.At(x, y);
            const float py = static_cast<float>(y) / kScale;
            float h = RoundEdge(d, 11.0F, 8.0F);
            if (py < kBaseTop - 3) {
                const float g1 = d - 14.0F;
                h -= 1.1F * std::exp(-g1 * g1 / (2 * 0.8F * 0.8F));
            }
            h += SmoothEdge(py - static_cast<float>(kBaseTop), 2.5F, 3.5F) * Clamp01(d / 6.0F);
            scene.height.At(x, y) = h;
        });

        QPainter paint(&scene.albedo);
        paint.setRenderHint(QPainter::Antialiasing, true);
        paint.fillRect(scene.albedo.rect(), kBodyBlue);
        paint.scale(kScale, kScale);

        // Stripes printed across the face, under the name and under the display.
        {
            QPainterPath face;
            for (int y = 0; y < kPanelHeight; ++y) {
                const RowSpan s = OutlineRow(y);
                face.addRect(QRectF(s.Left + 16, y, s.Right - s.Left - 32, 1));
            }
            face = face.simplified();
            paint.save();
            paint.setClipPath(face);
            const double bands[][2] = {{113, 3.5}, {119, 3.5}, {125, 3.5}};
            const QColor colours[] = {kStripeYellow, kStripeOrange, kStripeRed};
            for (int i = 0; i < 3; ++i) {
                paint.fillRect(QRectF(0, bands[i][0], kPanelWidth, bands[i][1]), colours[i]);
                paint.fillRect(QRectF(0, 304 + 6 * i, kPanelWidth, 3.5), colours[i]);
            }
            paint.restore();
        }

        // The display bezel: a raised black frame; the opening slopes down to the screen.
        {
            const Shape bezel = MakeShape(
                RoundedRect(g.bezel.left(), g.bezel.top(), g.bezel.width(), g.bezel.height(), 16));
            const Shape opening = MakeShape(RoundedRect(g.opening.left(), g.opening.top(),
                                                        g.opening.width(), g.opening.height(), 4));
            ForEach([&](int x, int y) {
                scene.height.At(x, y) += RoundEdge(bezel.dist.At(x, y), 4.5F, 4.0F) -
                                         SmoothEdge(opening.dist.At(x, y), 6.0F, 7.0F);
            });
            Blend(scene.gloss, bezel.cover, 0.85F);
            Blend(scene.grain, bezel.cover, 0.02F);
            paint.setPen(Qt::NoPen);
            paint.setBrush(kBezelBlack);
            paint.drawRoundedRect(g.bezel, 16, 16);
            QPen trim(kBezelTrim, 1.2);
            paint.setPen(trim);
            paint.setBrush(Qt::NoBrush);
            paint.drawRoundedRect(g.opening.adjusted(-3.5, -3.5, 3.5, 3.5), 6, 6);
            paint.setPen(Qt::NoPen);
            paint.setBrush(QColor(0, 0, 0));
            paint.drawRect(g.opening);
            paint.setBrush(kInk);
            paint.drawPath(
                type.Text(QStringLiteral("CYCLE RACE  \u2022  DISC DUEL  \u2022  BARRIER"), 7.5,
                          QPointF(g.bezel.center().x(), g.bezel.bottom() - 7), 0, 0.8));
        }

        // The name: raised letters, yellow to orange, outlined in dark red, with speed lines.
        {
            const QPainterPath letters = LogoLetters(type);
            const QPainterPath lines = SpeedLines(letters.boundingRect());
            const QPainterPath logo = letters.united(lines);
            const Shape raised = MakeShape(logo);
            ForEach([&](int x, int y) {
                scene.height.At(x, y) += RoundEdge(raised.dist.At(x, y), 2.2F, 2.6F);
            });
            Blend(scene.gloss, raised.cover, 0.8F);
            PaintLogo(paint, logo, 2.25);
            const QRectF box = logo.boundingRect();
            paint.setBrush(kInk);
            paint.drawPath(type.Text(QStringLiteral("KELDO"), 8,
                                     QPointF(box.right() - 4, box.top() - 4), -1, 2.2));
        }

        // The control deck, recessed, with a fine matt texture.
        {
            const Shape deck = MakeShape(
                RoundedRect(g.deck.left(), g.deck.top(), g.deck.width(), g.deck.height(), 18));
            ForEach([&](int x, int y) {
                scene.height.At(x, y) -= RoundEdge(deck.dist.At(x, y), 3.0F, 3.0F);
            });
            Blend(scene.gloss, deck.cover, 0.2F);
            Blend(scene.grain, deck.cover, 0.07F);
            paint.setBrush(kDeck);
            paint.drawRoundedRect(g.deck, 18, 18);
        }

        // The four-way pad in its seat.
        {
            const Shape seat = MakeShape(PadCross(g, 3.0));
            const Shape pad = MakeShape(PadCross(g, 0.0));
            const Shape arrows = MakeShape(PadArrows(g));
            const float cx = static_cast<float>(g.padCentre.x());
            const float cy = static_cast<float>(g.padCentre.y());
            ForEach([&](int x, int y) {
                const float px = static_cast<float>(x) / kScale - cx;
                const float py = static_cast<float>(y) / kScale - cy;
                const float r = std::sqrt(px * px + py * py);
                float h = -RoundEdge(seat.dist.At(x, y), 1.5F, 2.5F);
                h += RoundEdge(pad.dist.At(x, y), 3.5F, 9.0F);
                if (r < 11) h -= 1.6F * (1 - (r / 11) * (r / 11));
                h += SmoothEdge(arrows.dist.At(x, y), 0.8F, 0.5F);
                scene.height.At(x, y) += h;
            });
            Blend(scene.gloss, pad.cover, 0.45F);
            Blend(scene.grain, pad.cover, 0.06F);
            paint.setBrush(QColor(0x0c, 0x0c, 0x0e));
            paint.drawPath(PadCross(g, 3.0));
            paint.setBrush(kPadBlack);
            paint.drawPath(PadCross(g, 0.0));
            paint.setBrush(kPadArrow);
            paint.drawPath(PadArrows(g));
        }

        // The seat of the round button.
        {
            const Shape seat = MakeShape(Circle(g.buttonCentre, g.seatRadius));
            ForEach([&](int x, int y) {
                scene.height.At(x, y) -= RoundEdge(seat.dist.At(x, y), 1.5F, 3.5F);
            });
            paint.setBrush(QColor(0x0e, 0x0f, 0x12));
            paint.drawEllipse(g.buttonCentre, g.seatRadius, g.seatRadius);
        }

        // The power switch: a low frame and a deep slot.
        {
            const Shape frame =
                MakeShape(RoundedRect(g.switchFrame.left(), g.switchFrame.top(),
                                      g.switchFrame.width(), g.switchFrame.height(), 3));
            const Shape slot = MakeShape(
                RoundedRect(g.slot.left(), g.slot.top(), g.slot.width(), g.slot.height(), 2));
            ForEach([&](int x, int y) {
                scene.height.At(x, y) += RoundEdge(frame.dist.At(x, y), 1.0F, 1.0F) -
                                         RoundEdge(slot.dist.At(x, y), 1.2F, 7.0F);
            });
            Blend(scene.gloss, frame.cover, 0.6F);
            Blend(scene.grain, frame.cover, 0.01F);
            paint.setBrush(QColor(0x5a, 0x5e, 0x66));
            paint.drawRoundedRect(g.switchFrame, 3, 3);
            paint.setBrush(kSlotBlack);
            paint.drawRoundedRect(g.slot, 2, 2);
        }

        // The speaker slots in the stand.
        {
            QPainterPath openings;
            for (int i = 0; i < 6; ++i) {
                openings.addRoundedRect(QRectF(200, 518 + 7 * i, 90, 3.4), 1.7, 1.7);
            }
            const Shape grille = MakeShape(openings);
            ForEach([&](int x, int y) {
                scene.height.At(x, y) -= RoundEdge(grille.dist.At(x, y), 0.9F, 6.0F);
            });
        }

        // The line under the lower stripes, and the labels of the controls.
        {
            paint.setBrush(kStripeYellow);
            paint.drawPath(type.Text(QStringLiteral("ELECTRONIC  ACTION  GAME"), 10,
                                     QPointF(kPanelWidth / 2.0, 352), 0, 3.0));
            const QRectF sw = g.switchFrame;
            paint.setBrush(kInk);
            paint.drawPath(type.Text("POWER", 8, QPointF(sw.center().x(), sw.top() - 6), 0, 1.2));
            paint.drawPath(
                type.Text("OFF", 7.5, QPointF(sw.left() - 5, sw.center().y() + 3.6), -1, 0.6));
            paint.drawPath(
                type.Text("ON", 7.5, QPointF(sw.right() + 5, sw.center().y() + 3.6), 1, 0.6));
            const QPointF b = g.buttonCentre;
            paint.drawPath(
                type.Text("SPEED", 8, QPointF(b.x(), b.y() + g.seatRadius + 14), 0, 1.2));
            const QPointF p = g.padCentre;
            paint.drawPath(
                type.Text("FIRE", 6.5, QPointF(b.x(), b.y() - g.seatRadius - 6), 0, 1.0));
            paint.drawPath(
                type.Text("MOVE", 6.5, QPointF(p.x() + g.padHalfWidth + 18, p.y() + 2.5), 1, 1.0));
        }
        paint.end();

        scene.fixedHeight = scene.height;
        return scene;
    }

    // The parts that move: the button, up or held down, and the switch knob at either end.
    static void AddMovingParts(Scene& scene, const Geometry& g, bool buttonDown, bool switchOn) {
        const Shape button = MakeShape(Circle(g.buttonCentre, g.buttonRadius));
        const QRectF knobRect = switchOn ? g.knobOn : g.knobOff;
        const Shape knob = MakeShape(
            RoundedRect(knobRect.left(), knobRect.top(), knobRect.width(), knobRect.height(), 3));
        const float bx = static_cast<float>(g.buttonCentre.x());
        const float by = static_cast<float>(g.buttonCentre.y());
        const float radius = static_cast<float>(g.buttonRadius);
        const float kx = static_cast<float>(knobRect.center().x());
        const float drop = buttonDown ? 4.5F : 0.0F;
        ForEach([&](int x, int y) {
            const float px = static_cast<float>(x) / kScale;
            const float py = static_cast<float>(y) / kScale;
            const float bd = button.dist.At(x, y);
            if (bd > -0.5F) {
                const float r2 =
                    ((px - bx) * (px - bx) + (py - by) * (py - by)) / (radius * radius);
                const float dome = 2.4F * Clamp01(1 - r2);
                const float h = RoundEdge(bd, 3.0F, 5.5F) + dome * Clamp01(bd);
                scene.height.At(x, y) += std::max(0.0F, h - drop * Clamp01(bd + 0.5F));
            }
            const float kd = knob.dist.At(x, y);
            if (kd > -0.5F) {
                float h = RoundEdge(kd, 1.6F, 4.0F);
                for (float off : {-4.5F, -1.5F, 1.5F, 4.5F}) {
                    const float dx = px - kx - off;
                    h -= 0.7F * std::exp(-dx * dx / (2 * 0.55F * 0.55F)) * Clamp01(kd - 1.5F);
                }
                scene.height.At(x, y) += h;
            }
        });
        Blend(scene.gloss, button.cover, 0.9F);
        Blend(scene.grain, button.cover, 0.015F);
        Blend(scene.gloss, knob.cover, 0.5F);
        Blend(scene.grain, knob.cover, 0.01F);

        QPainter paint(&scene.albedo);
        paint.setRenderHint(QPainter::Antialiasing, true);
        paint.scale(kScale, kScale);
        paint.setPen(Qt::NoPen);
        paint.setBrush(buttonDown ? kButtonRed.darker(135) : kButtonRed);
        paint.drawEllipse(g.buttonCentre, g.buttonRadius, g.buttonRadius);
        paint.setBrush(kKnob);
        paint.drawRoundedRect(knobRect, 3, 3);
    }

    // The photograph at `out` pixels per panel pixel, `out` dividing kScale.
    static QImage Photograph(const Scene& scene, int out) {
        if (out < 1 || kScale % out != 0) throw std::invalid_argument("photograph scale");
        const Light light;
        // The surface's fine texture has the same size on the body at every sampling.
        const float textureCell = 2.2F * static_cast<float>(kScale) / 2.0F;
        const std::array<float, 256> toLinear = LinearTable();
        // A light blur keeps the relief's stair steps out of the normals.
        const Field height = Blur(scene.height, 0.9F);
        const Field nearAo = Blur(scene.fixedHeight, 3.0F * kScale);
        const Field farAo = Blur(scene.fixedHeight, 12.0F * kScale);
        const Vec3 centre{245, 290, 0};
        const float keyDistance0 = Length(light.keyPosition - centre);

        std::vector<float> rgb(static_cast<std::size_t>(kW) * kH * 3);
        ForEach([&](int x, int y) {
            const std::size_t at =
                (static_cast<std::size_t>(y) * kW + static_cast<std::size_t>(x)) * 3;
            if (scene.inside.At(x, y) < 0.5F) {
                rgb[at] = rgb[at + 1] = rgb[at + 2] = 1.0F;
                return;
            }
            const float px = static_cast<float>(x) / kScale;
            const float py = static_cast<float>(y) / kScale;
            const float hx = (height.Clamped(x + 1, y) - height.Clamped(x - 1, y)) * 0.5F * kScale;
            const float hy = (height.Clamped(x, y + 1) - height.Clamped(x, y - 1)) * 0.5F * kScale;
            const float tx =
                (ValueNoise(static_cast<float>(x + 1), static_cast<float>(y), textureCell, 11U) -
                 ValueNoise(static_cast<float>(x - 1), static_cast<float>(y), textureCell, 11U)) *
                scene.grain.At(x, y) * 0.5F * kScale;
            const float ty =
                (ValueNoise(static_cast<float>(x), static_cast<float>(y + 1), textureCell, 11U) -
                 ValueNoise(static_cast<float>(x), static_cast<float>(y - 1), textureCell, 11U)) *
                scene.grain.At(x, y) * 0.5F * kScale;
            const Vec3 n = Normalize({-(hx + tx), -(hy + ty), 1.0F});
            const float h = height.At(x, y);
            const Vec3 p{px, py, h};

            const Vec3 toKey = light.keyPosition - p;
            const float keyDistance = Length(toKey);
            const Vec3 l = toKey * (1.0F / keyDistance);
            const Vec3 v = Normalize(light.camera - p);

            // Soft shadow: march towards the key light over the relief.
            const float planar = std::sqrt(l.x * l.x + l.y * l.y);
            const float slope = l.z / planar;
            const float dx = l.x / planar * kScale;
            const float dy = l.y / planar * kScale;
            float occlusion = 0;
            for (float t = 1.0F; t <= 12.0F; t += 1.0F) {
                const float hs =
                    height.Sample(static_cast<float>(x) + dx * t, static_cast<float>(y) + dy * t);
                const float above = hs - (h + t * slope);
                occlusion = std::max(occlusion, above / (0.45F * t + 0.35F));
            }
            const float shadow = 1 - Clamp01(occlusion);

            const float ao =
                std::clamp(1 - 0.075F * std::max(0.0F, nearAo.At(x, y) - height.At(x, y)) -
                               0.03F * std::max(0.0F, farAo.At(x, y) - height.At(x, y)),
                           0.35F, 1.0F);
            const float falloff = (keyDistance0 * keyDistance0) / (keyDistance * keyDistance);
            const float diffuse = light.key * falloff * std::max(0.0F, Dot(n, l)) * shadow;
            const float fill = light.fill * std::max(0.0F, Dot(n, light.fillDirection));
            const float lightSum = (diffuse + fill) * (0.55F + 0.45F * ao) + light.ambient * ao;

            const float gloss = scene.gloss.At(x, y);
            const Vec3 half = Normalize(l + v);
            const float nh = std::max(0.0F, Dot(n, half));
            const float shininess = 20.0F + 180.0F * gloss * gloss;
            const float specular =
                gloss * 0.55F * std::pow(nh, shininess) * falloff * shadow * light.key;
            // Reflection of the soft box and of the room, stronger at grazing angles.
            const float nv = std::max(0.0F, Dot(n, v));
            const Vec3 r = n * (2 * nv) - v;
            const float grazing = 1 - nv;
            const float grazing2 = grazing * grazing;
            const float fresnel = 0.04F + 0.96F * grazing2 * grazing2 * grazing;
            const float ru = r.x / r.z - light.boxU;
            const float rv = r.y / r.z - light.boxV;
            // The box is tilted a little, as a photographer would set it.
            const float bu = 0.94F * ru + 0.34F * rv;
            const float bv = -0.34F * ru + 0.94F * rv;
            const float box = r.z <= 0 ? 0.0F
                                       : (1 - SmoothStep(light.boxHalfU - light.boxSoft,
                                                         light.boxHalfU, std::abs(bu))) *
                                             (1 - SmoothStep(light.boxHalfV - light.boxSoft,
                                                             light.boxHalfV, std::abs(bv)));
            const float room = 0.10F + 0.12F * Clamp01(-r.y * 2.0F + 0.3F);
            const float reflection =
                gloss * fresnel * (3.0F * box + room) * (0.4F + 0.6F * ao) * 2.2F;

            const QRgb a = scene.albedo.pixel(x, y);
            const float colour[3] = {toLinear[static_cast<std::size_t>(qRed(a))],
                                     toLinear[static_cast<std::size_t>(qGreen(a))],
                                     toLinear[static_cast<std::size_t>(qBlue(a))]};
            for (int c = 0; c < 3; ++c) {
                rgb[at + static_cast<std::size_t>(c)] =
                    colour[c] * lightSum + specular + reflection;
            }
        });

        // Reduce to the final size, tone-map and add a fine grain.
        const int r = kScale / out;
        QImage photo(kPanelWidth * out, kPanelHeight * out, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y) {
            for (int x = 0; x < photo.width(); ++x) {
                if (!InsideOutline(x / out, y / out)) {
                    photo.setPixel(x, y, qRgb(255, 255, 255));
                    continue;
                }
                if (scene.blackout.contains(x / out, y / out)) {
                    photo.setPixel(x, y, qRgb(0, 0, 0));
                    continue;
                }
                float sum[3] = {0, 0, 0};
                for (int sy = 0; sy < r; ++sy) {
                    for (int sx = 0; sx < r; ++sx) {
                        const std::size_t at = (static_cast<std::size_t>(y * r + sy) * kW +
                                                static_cast<std::size_t>(x * r + sx)) *
                                               3;
                        for (int c = 0; c < 3; ++c) sum[c] += rgb[at + static_cast<std::size_t>(c)];
                    }
                }
                const float grain = HashNoise(x, y, 77U) * 0.012F;
                int channel[3];
                for (int c = 0; c < 3; ++c) {
                    const float linear = sum[c] / static_cast<float>(r * r);
                    const float mapped = linear * (1 + linear / 6.0F) / (1 + linear);
                    channel[c] =
                        ToSrgb8(mapped * 1.08F + grain +
                                HashNoise(x, y, 80U + static_cast<std::uint32_t>(c)) * 0.003F);
                }
                photo.setPixel(x, y, qRgb(channel[0], channel[1], channel[2]));
            }
        }
        return photo;
    }

    // Pixels of `moved` inside `keep` (a test on panel coordinates), the rest from `still`, cut
    // out at `rect`: the picture then matches the body photograph outside the moving part.
};

template <typename Keep>
QImage CutOut(const QImage& moved, const QImage& still, const QRect& rect, Keep keep) {
    QImage out(rect.size(), QImage::Format_RGB32);
    for (int y = 0; y < rect.height(); ++y) {
        for (int x = 0; x < rect.width(); ++x) {
            const int px = rect.left() + x;
            const int py = rect.top() + y;
            out.setPixel(x, y, keep(px, py) ? moved.pixel(px, py) : still.pixel(px, py));
        }
    }
    return out;
}

}  // namespace

PanelLayout LayoutOf(const TForm1& form) {
    auto rect = [&](const char* name) {
        const TControl* control = form.FindControl(name);
        if (control == nullptr) throw std::runtime_error(std::string("panel has no ") + name);
        const TRect& r = control->Bounds();
        return QRect(r.Left, r.Top, r.Width, r.Height);
    };
    return {rect("Im_BaseScreen"), rect("Puls_Move"), rect("Puls_Speed2"), rect("Puls_Speed"),
            rect("Puls_Off")};
}

namespace {

template <int kScale>
PanelPhotos RenderAt(const PanelLayout& layout, const Typesetter& type, int out) {
    using S = Studio<kScale>;
    const Geometry g = GeometryOf(layout);
    const typename S::Scene fixed = S::BuildFixedScene(g, type);

    // The body photograph shows the button held down: it is what appears while the button
    // picture is hidden. The switch is off under its pictures.
    typename S::Scene held = fixed;
    S::AddMovingParts(held, g, true, false);
    const QImage base = S::Photograph(held, out);
    typename S::Scene up = fixed;
    S::AddMovingParts(up, g, false, true);
    const QImage other = S::Photograph(up, out);

    const auto scaled = [out](const QRect& r) {
        return QRect(r.left() * out, r.top() * out, r.width() * out, r.height() * out);
    };
    PanelPhotos photos;
    photos.Base = base;
    const QPointF c = g.buttonCentre;
    const double reach = g.seatRadius + 2.5;
    photos.SpeedButton = CutOut(other, base, scaled(layout.SpeedButton), [&](int x, int y) {
        return std::hypot((x + 0.5) / out - c.x(), (y + 0.5) / out - c.y()) < reach;
    });
    const QRect inner = layout.Switch.adjusted(2, 2, -2, -2);
    photos.SwitchOn = CutOut(other, base, scaled(layout.Switch),
                             [&](int x, int y) { return inner.contains(x / out, y / out); });
    photos.SwitchOff = base.copy(scaled(layout.Switch));
    return photos;
}

}  // namespace

PanelPhotos RenderPanelPhotos(const PanelLayout& layout, const QString& fontFile, int scale) {
    const Typesetter type(fontFile);
    // The relief is sampled at least twice per panel pixel, and at every pixel of the finest
    // photograph.
    switch (scale) {
        case 1:
        case 2:
            return RenderAt<2>(layout, type, scale);
        case 3:
            return RenderAt<3>(layout, type, scale);
        default:
            throw std::invalid_argument("no photographs at scale " + std::to_string(scale));
    }
}

void PaintLogo(QPainter& paint, const QPainterPath& logo, double outline) {
    QPainterPathStroker stroker;
    stroker.setWidth(outline * 2);
    stroker.setJoinStyle(Qt::RoundJoin);
    paint.setPen(Qt::NoPen);
    paint.setBrush(kLogoOutline);
    paint.drawPath(stroker.createStroke(logo).united(logo));
    const QRectF box = logo.boundingRect();
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setStops(LogoGradient());
    paint.setBrush(fill);
    paint.drawPath(logo);
}

QGradientStops LogoGradient() {
    return {{0.0, QColor(0xff, 0xf6, 0xb0)},
            {0.45, QColor(0xff, 0xd4, 0x1c)},
            {0.5, QColor(0xff, 0x9a, 0x00)},
            {0.8, QColor(0xff, 0xb8, 0x20)},
            {1.0, QColor(0xff, 0xe0, 0x60)}};
}

// The same parts, colours and printing as the albedo of BuildFixedScene and AddMovingParts,
// as shapes instead of paint.
std::vector<FaceShape> FaceShapes(const PanelLayout& layout, const QString& fontFile) {
    const Typesetter type(fontFile);
    const Geometry g = GeometryOf(layout);
    std::vector<FaceShape> shapes;
    const auto add = [&shapes](const QPainterPath& path, const QColor& colour) {
        shapes.push_back({path, colour, {}});
    };
    const auto stroke = [](const QPainterPath& path, double width) {
        QPainterPathStroker stroker;
        stroker.setWidth(width);
        stroker.setJoinStyle(Qt::RoundJoin);
        return stroker.createStroke(path);
    };

    add(Studio<2>::SmoothOutline(), kBodyBlue);
    QPainterPath face;
    for (int y = 0; y < kPanelHeight; ++y) {
        const RowSpan s = OutlineRow(y);
        face.addRect(QRectF(s.Left + 16, y, s.Right - s.Left - 32, 1));
    }
    face = face.simplified();
    const double bands[] = {113, 119, 125};
    const QColor stripes[] = {kStripeYellow, kStripeOrange, kStripeRed};
    for (int i = 0; i < 3; ++i) {
        for (const double top : {bands[i], 304.0 + 6 * i}) {
            QPainterPath band;
            band.addRect(QRectF(0, top, kPanelWidth, 3.5));
            add(band.intersected(face), stripes[i]);
        }
    }

    add(RoundedRect(g.bezel.left(), g.bezel.top(), g.bezel.width(), g.bezel.height(), 16),
        kBezelBlack);
    QPainterPath trim;
    trim.addRoundedRect(g.opening.adjusted(-3.5, -3.5, 3.5, 3.5), 6, 6);
    add(stroke(trim, 1.2), kBezelTrim);
    QPainterPath opening;
    opening.addRect(g.opening);
    add(opening, QColor(0, 0, 0));
    add(type.Text(QStringLiteral("CYCLE RACE  \u2022  DISC DUEL  \u2022  BARRIER"), 7.5,
                  QPointF(g.bezel.center().x(), g.bezel.bottom() - 7), 0, 0.8),
        kInk);

    const QPainterPath letters = LogoLetters(type);
    const QPainterPath logo = letters.united(SpeedLines(letters.boundingRect()));
    add(stroke(logo, 2 * 2.25).united(logo), kLogoOutline);
    shapes.push_back({logo, QColor(), LogoGradient()});
    const QRectF box = logo.boundingRect();
    add(type.Text(QStringLiteral("KELDO"), 8, QPointF(box.right() - 4, box.top() - 4), -1, 2.2),
        kInk);

    add(RoundedRect(g.deck.left(), g.deck.top(), g.deck.width(), g.deck.height(), 18), kDeck);
    add(PadCross(g, 3.0), QColor(0x0c, 0x0c, 0x0e));
    add(PadCross(g, 0.0), kPadBlack);
    add(PadArrows(g), kPadArrow);
    add(Circle(g.buttonCentre, g.seatRadius), QColor(0x0e, 0x0f, 0x12));
    add(Circle(g.buttonCentre, g.buttonRadius), kButtonRed);
    add(RoundedRect(g.switchFrame.left(), g.switchFrame.top(), g.switchFrame.width(),
                    g.switchFrame.height(), 3),
        QColor(0x5a, 0x5e, 0x66));
    add(RoundedRect(g.slot.left(), g.slot.top(), g.slot.width(), g.slot.height(), 2), kSlotBlack);
    add(RoundedRect(g.knobOn.left(), g.knobOn.top(), g.knobOn.width(), g.knobOn.height(), 3),
        kKnob);
    // The speaker slots are only moulded; the photograph's shadow shows them dark.
    QPainterPath grille;
    for (int i = 0; i < 6; ++i) grille.addRoundedRect(QRectF(200, 518 + 7 * i, 90, 3.4), 1.7, 1.7);
    add(grille, kBodyBlue.darker(200));

    add(type.Text(QStringLiteral("ELECTRONIC  ACTION  GAME"), 10, QPointF(kPanelWidth / 2.0, 352),
                  0, 3.0),
        kStripeYellow);
    const QRectF sw = g.switchFrame;
    const QPointF b = g.buttonCentre;
    const QPointF p = g.padCentre;
    add(type.Text("POWER", 8, QPointF(sw.center().x(), sw.top() - 6), 0, 1.2), kInk);
    add(type.Text("OFF", 7.5, QPointF(sw.left() - 5, sw.center().y() + 3.6), -1, 0.6), kInk);
    add(type.Text("ON", 7.5, QPointF(sw.right() + 5, sw.center().y() + 3.6), 1, 0.6), kInk);
    add(type.Text("SPEED", 8, QPointF(b.x(), b.y() + g.seatRadius + 14), 0, 1.2), kInk);
    add(type.Text("FIRE", 6.5, QPointF(b.x(), b.y() - g.seatRadius - 6), 0, 1.0), kInk);
    add(type.Text("MOVE", 6.5, QPointF(p.x() + g.padHalfWidth + 18, p.y() + 2.5), 1, 1.0), kInk);
    return shapes;
}

}  // namespace zarq::assetgen
