// The display's pixel art. The grid pictures are the toy's fixed patterns; the figures, the
// boss and the digits are ours, drawn to the toy's sizes and colours.
//
// Transparent elements key out the colour of their picture's bottom-left pixel, so every
// picture keeps that pixel black. The figures leave room for their own hand and disc
// elements: the player's disc sits at columns 1-4, rows 4-11 of the body and its empty hand at
// columns 12-17, rows 8-11; the opponent is the mirror image (hand at 0-5, disc at 13-16).
#include "tools/assetgen/pictures/DisplayPictures.h"

#include <functional>
#include <map>
#include <stdexcept>

#include "tools/assetgen/pictures/Palette.h"

namespace zarq::assetgen {

namespace {

// Pixel art keeps one row of text per row of pixels.
// clang-format off

// ---- The grid (fixed patterns) ----------------------------------------------------------

QImage BarV(QRgb colour) {
    return PixelArt({".##.", "####", "####", ".##.",  // a dot
                     "....",                          //
                     ".##.", ".##.", ".##.", ".##.", ".##.",  // the line
                     "....",                                  //
                     ".##.", "####", "####", ".##."},         // a dot
                    colour);
}

QImage BarH(QRgb colour) {
    return PixelArt({".##.........##.",  //
                     "####.#####.####",  //
                     "####.#####.####",  //
                     ".##.........##."},
                    colour);
}

QImage DiskV(QRgb colour) {
    return PixelArt({"#.", "##", "##", "##", "##", "##", "#."}, colour);
}

QImage DiskH(QRgb colour) { return PixelArt({".#####.", "#######"}, colour); }

// ---- The player (cyan, facing right) and the opponent (red, facing left) ------------------

QImage Zarq() {
    return PixelArt({
        "...CC.CCCC........",
        "....CCCCCCC.......",
        ".....CCC..C.......",
        ".....CCCCCCC......",
        "......CCCCC.......",
        ".......CCC........",
        ".....CCCCCCCC.....",
        ".....CC.CCCC.CC...",
        ".....CC.CCCC......",
        ".....C..CCCC......",
        "......CCCCCC......",
        "......CC..CC......",
        ".....CCC....CC....",
        ".....CC......CC...",
        "....CC........CC..",
        "....CC........CC..",
        "...CCC.......CCC..",
        "..................",
    });
}

QImage ZarqHand() { return PixelArt({"..CCC.", "CCCCCC", "CCC.CC", "......"}); }

// A disc held edge-on, as a ring.
QImage DiscInHand() {
    return PixelArt({".RR.", "RRRR", "RR.R", "R..R", "R..R", "R.RR", "RRRR", ".RR."});
}

QImage Krev() {
    return PixelArt({
        "...R.......R.....",
        "...RR.....RR.....",
        "....RRRRRRR......",
        "....RRRRRRRR.....",
        "....R...RRRR.....",
        ".....RRRRRR......",
        "..RR..RRRR.RR....",
        "..RRRRRRRRRRR....",
        "......RRRRR.R....",
        "......RRRRR......",
        "......RRRRRR.....",
        "......RR..RR.....",
        "....RR.....RRR...",
        "...RR.......RR...",
        "..RR........RR...",
        "..RR.........RR..",
        "..RRR.......RRR..",
        ".................",
    });
}

QImage KrevHand() { return PixelArt({".RRR..", "RRRRRR", "RR.RRR", "......"}); }

// ---- The boss -------------------------------------------------------------------------
// The outline pieces are its armour (helmet, arms, fists, legs); inside them the green face,
// the torso's five red ribs that turn, the green-and-cyan belt and the cyan boots.

QImage XomCover1() {
    return PixelArt({
        "C......CCCCCC......C",
        "CC...CC......CC...CC",
        ".CC.C..........C.CC.",
        "..CCC..........CCC..",
        "...C............C...",
        "...C............C...",
        "...C............C...",
        "...C............C...",
        "...C............C...",
        "...C............C...",
        "...C............C...",
        "....C..........C....",
        ".....CC......CC.....",
        "......C......C......",
        ".....CC......CC.....",
        "...CC..........CC...",
        "..C..............C..",
        ".C................C.",
        "C..................C",
        "....................",
    });
}

QImage XomCover2() {
    return PixelArt({
        ".CCC..................CCC.",
        "CCC....................CCC",
        "CC......................CC",
        "CC......................CC",
        "CC......................CC",
        "CC......................CC",
        "CC......................CC",
        "CC......................CC",
        "CC......................CC",
        "CC......................CC",
        "CC......................CC",
        "CC......................CC",
        "CC......................CC",
        "CC......................CC",
        ".CC....................CC.",
        ".CC....................CC.",
    });
}

QImage XomCover3() {
    return PixelArt({
        ".CC....................CC.",
        ".CC....................CC.",
        ".CC....................CC.",
        ".CC....................CC.",
        ".CC....................CC.",
        ".CC....................CC.",
        ".CC....................CC.",
        ".CC....................CC.",
        "CCCC..................CCCC",
        "C..C..................C..C",
        "CCCC..................CCCC",
        "C..C..................C..C",
        "CCCC..................CCCC",
        ".CC....................CC.",
        "..........................",
    });
}

QImage XomCover4() {
    return PixelArt({
        "...CCCCCCCCCCCCCCCCCCCC...",
        "...C..................C...",
        "...C..................C...",
        "...C..................C...",
        "...C..................C...",
        "...C.......CCCC.......C...",
        "..CC......C....C......CC..",
        ".CC......C......C.......CC",
        ".C......................C.",
        "CC......................CC",
        "C........................C",
        "C........................C",
        "C........................C",
        ".C......................C.",
    });
}

QImage XomTop() {
    return PixelArt({
        "..GGGGG..",
        ".GGGGGGG.",
        "GGGGGGGGG",
        "G...G...G",
        "GG.GGG.GG",
        "GGGGGGGGG",
        ".GG.G.GG.",
        ".G.G.G.G.",
        "..GGGGG..",
    });
}

// One rib of the torso, a barrel seen from the front: `width` wide, lit from column `top` at
// the shoulders, `mid` below the first seam and `low` at the waist, each `thick` wide. Two
// dark seams split the rib into armour plates; the last row stays dark for the key colour.
QImage TorsoRib(int width, int top, int mid, int low, int thick) {
    QImage image(width, 23, QImage::Format_RGB32);
    image.fill(kBlack);
    for (int y = 0; y < 22; ++y) {
        if (y == 7 || y == 15) continue;
        const int from = y < 7 ? top : y < 15 ? mid : low;
        for (int x = from; x < from + thick; ++x) image.setPixel(x, y, kRed);
    }
    return image;
}

QImage XomMid() {
    return PixelArt({
        "CCCCCCCCCCCCCCCCCC",
        "CCCCCCCCCCCCCCCCCC",
        "..................",
        ".C......GG......C.",
        ".C.....GGGG.....C.",
        ".C....GG..GG....C.",
        ".C...GG.GG.GG...C.",
        ".C....GG..GG....C.",
        ".C.....GGGG.....C.",
        ".C......GG......C.",
        ".C..............C.",
        "..C............C..",
        "..C.CCCCCCCCCC.C..",
        "..C.C........C.C..",
        "...CC........CC...",
        "....C........C....",
        "....CCCCCCCCCC....",
        "..................",
        "..................",
    });
}

QImage SolidRed(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kRed);
    return image;
}

QImage XomLow() {
    return PixelArt({
        "..CCCCCC.....CCCCCC..",
        "..C....C.....C....C..",
        "..C....C.....C....C..",
        ".CC....CC...CC....CC.",
        "CC......C...C......CC",
        "C.......C...C.......C",
        "CCCCCCCCC...CCCCCCCCC",
    });
}

// clang-format on

using Drawer = std::function<QImage()>;

const std::map<std::string, Drawer>& Drawers() {
    static const std::map<std::string, Drawer> drawers = [] {
        std::map<std::string, Drawer> d;
        d["Im_BarV15"] = [] { return BarV(kGreen); };
        d["Im_BarH15"] = [] { return BarH(kGreen); };
        d["Im_DiskV15"] = [] { return DiskV(kRed); };
        d["Im_DiskH15"] = [] { return DiskH(kRed); };
        // The player's own cell shows every segment in the player's colour.
        d["Im_BarV43"] = [] { return BarV(kCyan); };
        d["Im_BarH43"] = [] { return BarH(kCyan); };
        d["Im_DiskV43"] = [] { return DiskV(kCyan); };
        d["Im_DiskH43"] = [] { return DiskH(kCyan); };
        d["Im_Zarq5"] = Zarq;
        d["Im_Zarq5Hand"] = ZarqHand;
        d["Im_Zarq5Disk"] = DiscInHand;
        d["Im_Krev4"] = Krev;
        d["Im_Krev4Hand"] = KrevHand;
        d["Im_Krev4Disk"] = DiscInHand;
        d["Im_XomCover1"] = XomCover1;
        d["Im_XomCover2"] = XomCover2;
        d["Im_XomCover3"] = XomCover3;
        d["Im_XomCover4"] = XomCover4;
        d["Im_XomTop"] = XomTop;
        //                                        width top mid low thick
        d["Im_XomMid1A"] = [] { return TorsoRib(6, 1, 1, 2, 2); };
        d["Im_XomMid2A"] = [] { return TorsoRib(7, 3, 3, 4, 3); };
        d["Im_XomMid3A"] = [] { return TorsoRib(5, 1, 1, 1, 3); };
        d["Im_XomMid4A"] = [] { return TorsoRib(6, 1, 1, 0, 3); };
        d["Im_XomMid5A"] = [] { return TorsoRib(5, 2, 2, 1, 2); };
        d["Im_XomMid"] = XomMid;
        d["Im_XomMid1B"] = [] { return SolidRed(2, 4); };
        d["Im_XomMid2B"] = [] { return SolidRed(3, 4); };
        d["Im_XomMid3B"] = [] { return SolidRed(5, 4); };
        d["Im_XomMid4B"] = [] { return SolidRed(3, 4); };
        d["Im_XomMid5B"] = [] { return SolidRed(2, 4); };
        d["Im_XomLow"] = XomLow;
        for (int digit = 0; digit <= 9; ++digit) {
            d["Im_Num" + std::to_string(digit)] = [digit] { return DrawDigit(digit, 1); };
        }
        return d;
    }();
    return drawers;
}

}  // namespace

// Segments a (top), b, c (right, top to bottom), d (bottom), e, f (left, bottom to top) and
// g (middle), each two pixels thick; the corners stay dark so the segments read apart.
QImage DrawDigit(int digit, int scale) {
    if (digit < 0 || digit > 9) throw std::invalid_argument("no such digit");
    struct Segment {
        char name;
        int left, top, width, height;
    };
    static constexpr Segment kSegments[] = {
        // name left top width height
        {'a', 2, 0, 8, 2},  {'b', 10, 2, 2, 6}, {'c', 10, 10, 2, 6}, {'d', 2, 16, 8, 2},
        {'e', 0, 10, 2, 6}, {'f', 0, 2, 2, 6},  {'g', 2, 8, 8, 2},
    };
    static constexpr const char* kLit[10] = {"abcdef", "bc",     "abdeg", "abcdg",   "bcfg",
                                             "acdfg",  "acdefg", "abc",   "abcdefg", "abcdfg"};
    QImage image(12 * scale, 18 * scale, QImage::Format_RGB32);
    image.fill(kBlack);
    // Each segment is a shape of its own, so that finer drawings keep the dark corners.
    for (const Segment& s : kSegments) {
        if (std::string_view(kLit[digit]).find(s.name) == std::string_view::npos) continue;
        QImage segment(12, 18, QImage::Format_RGB32);
        segment.fill(kBlack);
        for (int y = s.top; y < s.top + s.height; ++y) {
            for (int x = s.left; x < s.left + s.width; ++x) segment.setPixel(x, y, kCyan);
        }
        const QImage drawn = DrawAtScale(segment, scale);
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x) {
                if (drawn.pixel(x, y) != kBlack) image.setPixel(x, y, drawn.pixel(x, y));
            }
        }
    }
    return image;
}

bool IsDisplayPicture(const std::string& key) {
    return Drawers().count(key) != 0;
}

QImage DrawDisplayPicture(const std::string& key, int scale) {
    auto it = Drawers().find(key);
    if (it == Drawers().end()) throw std::invalid_argument("no display picture " + key);
    if (key.rfind("Im_Num", 0) == 0) return DrawDigit(key.back() - '0', scale);
    return scale == 1 ? it->second() : DrawAtScale(it->second(), scale);
}

std::vector<std::string> DisplayPictureKeys() {
    std::vector<std::string> keys;
    for (const auto& [key, drawer] : Drawers()) keys.push_back(key);
    return keys;
}

}  // namespace zarq::assetgen
