// Stand-in pictures and outlines for the window's tests.
#include "tests/app/TestPictures.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <cstdint>
#include <cstring>
#include <set>
#include <stdexcept>

namespace zarq::test {

namespace {

const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kGreen = qRgb(0x18, 0xB6, 0x18);
const QRgb kRed = qRgb(0xFF, 0, 0);
const QRgb kCyan = qRgb(0x40, 0xFF, 0xFF);
const QRgb kOutline = qRgb(0x18, 0x18, 0x18);

// The fixed grid patterns, top row first.
const std::vector<const char*> kBarV = {".##.", "####", "####", ".##.", "....",
                                        ".##.", ".##.", ".##.", ".##.", ".##.",
                                        "....", ".##.", "####", "####", ".##."};
const std::vector<const char*> kBarH = {".##.........##.", "####.#####.####", "####.#####.####",
                                        ".##.........##."};
const std::vector<const char*> kDiskV = {"#.", "##", "##", "##", "##", "##", "#."};
const std::vector<const char*> kDiskH = {".#####.", "#######"};

QImage Pattern(const std::vector<const char*>& rows, QRgb lit) {
    const int w = static_cast<int>(std::strlen(rows[0]));
    QImage image(w, static_cast<int>(rows.size()), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < w; ++x) image.setPixel(x, y, rows[y][x] == '#' ? lit : kBlack);
    }
    return image;
}

// A black picture with a lit block inset by one pixel, so its bottom-left pixel is black.
QImage Block(QSize size, QRgb lit) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(kBlack);
    QPainter p(&image);
    p.fillRect(QRect(QPoint(0, 0), size).adjusted(1, 1, -1, -1), QColor(lit));
    return image;
}

bool StartsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

QImage StandIn(const std::string& key, QSize size) {
    if (key == "Im_BarV15") return Pattern(kBarV, kGreen);
    if (key == "Im_BarH15") return Pattern(kBarH, kGreen);
    if (key == "Im_DiskV15") return Pattern(kDiskV, kRed);
    if (key == "Im_DiskH15") return Pattern(kDiskH, kRed);
    if (key == "Im_BarV43") return Pattern(kBarV, kCyan);
    if (key == "Im_BarH43") return Pattern(kBarH, kCyan);
    if (key == "Im_DiskV43") return Pattern(kDiskV, kCyan);
    if (key == "Im_DiskH43") return Pattern(kDiskH, kCyan);
    if (key == "Im_Base") {
        QImage image(size, QImage::Format_RGB32);
        image.fill(qRgb(0x8C, 0x90, 0x98));
        return image;
    }
    if (key == "Puls_Speed") return Block(size, qRgb(0xA0, 0x20, 0x20));
    if (key == "Puls_On" || key == "Puls_Off") return Block(size, qRgb(0x50, 0x50, 0x50));
    if (StartsWith(key, "Im_Zarq") || StartsWith(key, "Im_Num") || key == "Im_XomLow" ||
        StartsWith(key, "Im_XomCover")) {
        return key == "Im_Zarq5Disk" ? Block(size, kRed) : Block(size, kCyan);
    }
    if (key == "Im_XomTop" || key == "Im_XomMid") return Block(size, kGreen);
    return Block(size, kRed);  // the opponent and the boss's stripes
}

// The screen: black, and wherever a display element has a lit pixel, #181818.
QImage Screen(const TForm1& form, const PictureSet& pictures) {
    const TRect& s = form.Im_BaseScreen->Bounds();
    QImage screen(s.Width, s.Height, QImage::Format_RGB32);
    screen.fill(kBlack);
    for (const auto& control : form.Controls()) {
        const auto* image = dynamic_cast<const TImage*>(control.get());
        if (image == nullptr || image == form.Im_BaseScreen || image->Picture().empty()) continue;
        const QImage* picture = pictures.Find(image->Picture(), false);
        if (picture == nullptr) continue;
        const TRect& b = image->Bounds();
        const QRgb background = picture->pixel(0, picture->height() - 1);
        for (int y = 0; y < picture->height(); ++y) {
            for (int x = 0; x < picture->width(); ++x) {
                const QPoint at(b.Left + x - s.Left, b.Top + y - s.Top);
                if (picture->pixel(x, y) != background && screen.rect().contains(at)) {
                    screen.setPixel(at, kOutline);
                }
            }
        }
    }
    return screen;
}

void Save(const QImage& image, const QString& file) {
    if (!image.save(file)) throw std::runtime_error("cannot write " + file.toStdString());
}

void PutInt32(QByteArray& out, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.append(static_cast<char>((u >> (8 * i)) & 0xFF));
}

}  // namespace

QString AssetFolder() {
    return QStringLiteral(ZARQ_ASSET_DIR);
}

PictureFolder::PictureFolder(const TForm1& form) {
    const std::set<std::string> keys = PictureKeysOf(form);
    const QDir real(AssetFolder() + "/pictures");
    real_ = true;
    for (const std::string& key : keys) real_ = real_ && real.exists(PictureSet::FileName(key));
    if (real_) {
        path_ = real.absolutePath();
        return;
    }
    temp_ = std::make_unique<QTemporaryDir>();
    path_ = temp_->path();
    PictureSet drawn;
    for (const std::string& key : keys) {
        const TImage* carrier = form.FindElement(key);
        const QSize size(carrier->Bounds().Width, carrier->Bounds().Height);
        drawn.Insert(key, StandIn(key, size));
    }
    drawn.Insert("Im_BaseScreen", Screen(form, drawn));
    for (const std::string& key : keys) {
        Save(*drawn.Find(key, false), path_ + '/' + PictureSet::FileName(key));
    }
}

QByteArray Mask2Of(const std::vector<WinRect>& rects) {
    QByteArray data;
    const auto count = static_cast<std::int32_t>(rects.size());
    WinRect bound{rects.empty() ? 0 : rects[0].Left, rects.empty() ? 0 : rects[0].Top, 0, 0};
    for (const WinRect& r : rects) {
        bound.Left = std::min(bound.Left, r.Left);
        bound.Top = std::min(bound.Top, r.Top);
        bound.Right = std::max(bound.Right, r.Right);
        bound.Bottom = std::max(bound.Bottom, r.Bottom);
    }
    PutInt32(data, 32);
    PutInt32(data, 1);
    PutInt32(data, count);
    PutInt32(data, count * 16);
    for (int v : {bound.Left, bound.Top, bound.Right, bound.Bottom}) PutInt32(data, v);
    for (const WinRect& r : rects) {
        for (int v : {r.Left, r.Top, r.Right, r.Bottom}) PutInt32(data, v);
    }
    QByteArray stored;
    PutInt32(stored, static_cast<std::int32_t>(data.size()));
    return stored + data;
}

QByteArray PanelMask2() {
    QFile real(AssetFolder() + "/Mask2.bin");
    if (real.open(QIODevice::ReadOnly)) return real.readAll();
    // A trapezoid widening downwards from 63..426 at the top, with cut bottom corners.
    std::vector<WinRect> rects;
    for (int y = 0; y < 580; ++y) {
        int left = 63 - y * 62 / 554, right = 426 + y * 65 / 554;
        if (y >= 562) {
            left += (y - 561) * 2;
            right -= (y - 561) * 2;
        }
        rects.push_back({left, y, right, y + 1});
    }
    return Mask2Of(rects);
}

QString Hex(QRgb c) {
    return QColor(c).name();
}

QString ColourAt(const QImage& image, int x, int y) {
    return Hex(image.pixel(x, y));
}

namespace {
template <typename Match>
QPoint FindFirst(const QImage& picture, Match match) {
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (match(picture.pixel(x, y))) return {x, y};
        }
    }
    throw std::runtime_error("picture has no such pixel");
}
}  // namespace

QPoint FindLit(const QImage& picture) {
    return FindFirst(picture, [](QRgb c) { return (c & 0xFFFFFF) != 0; });
}

QPoint FindKeyColour(const QImage& picture) {
    const QRgb key = picture.pixel(0, picture.height() - 1);
    return FindFirst(picture, [key](QRgb c) { return c == key; });
}

}  // namespace zarq::test
