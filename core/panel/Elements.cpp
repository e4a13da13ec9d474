// The panel's controls in stacking order, the shared pictures and the index tables.
#include <cstdio>
#include <stdexcept>

#include "core/panel/Unit1.h"

namespace zarq {

namespace {

std::string Cell(const char* kind, int c, int r) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "Im_%s%d%d", kind, c, r);
    return buf;
}

std::string Numbered(const char* prefix, int i, const char* suffix = "") {
    return std::string(prefix) + std::to_string(i) + suffix;
}

// Geometry of the 7 x 5 grid: one cell is 25 pixels wide and 19 high, row 1 at the bottom.
//                          left  top  width height
constexpr TRect kBarV{148, 159, 4, 15};
constexpr TRect kDiskV{153, 163, 2, 7};
constexpr TRect kBarH{151, 174, 15, 4};
constexpr TRect kDiskH{155, 171, 7, 2};

TRect InCell(TRect origin, int c, int r) {
    return {origin.Left + 25 * (c - 1), origin.Top + 19 * (5 - r), origin.Width, origin.Height};
}

// The cell whose four elements carry the grid's shared pictures, and the player's own cell.
constexpr int kSourceCol = 1, kSourceRow = 5;
constexpr int kPlayerCol = 4, kPlayerRow = 3;

struct BossPiece {
    const char* name;
    TRect bounds;
    bool transparent;
};

// The boss, in stacking order.
constexpr BossPiece kBoss[] = {
    //  name             left top  w   h   transparent
    {"Im_XomCover1", {351, 182, 20, 20}, true}, {"Im_XomCover2", {348, 204, 26, 16}, true},
    {"Im_XomCover3", {348, 222, 26, 15}, true}, {"Im_XomCover4", {348, 240, 26, 14}, true},
    {"Im_XomTop", {357, 184, 9, 9}, false},     {"Im_XomMid1A", {350, 195, 6, 23}, true},
    {"Im_XomMid2A", {352, 195, 7, 23}, true},   {"Im_XomMid3A", {359, 195, 5, 23}, false},
    {"Im_XomMid4A", {364, 195, 6, 23}, true},   {"Im_XomMid5A", {367, 195, 5, 23}, true},
    {"Im_XomMid", {352, 220, 18, 19}, true},    {"Im_DiskH82", {351, 228, 7, 2}, false},
    {"Im_XomMid1B", {351, 241, 2, 4}, false},   {"Im_XomMid2B", {354, 241, 3, 4}, false},
    {"Im_XomMid3B", {359, 241, 5, 4}, false},   {"Im_XomMid4B", {366, 241, 3, 4}, false},
    {"Im_XomMid5B", {370, 241, 2, 4}, false},   {"Im_XomLow", {351, 247, 21, 7}, false},
};

constexpr int kDigitPlaceLeft[] = {317, 332, 349, 363};

}  // namespace

TImage* TForm1::AddImage(const std::string& name, TRect r, const std::string& picture,
                         bool transparent, bool visible) {
    auto image = std::make_unique<TImage>(name, r, picture, transparent, visible);
    TImage* raw = image.get();
    controls_.push_back(std::move(image));
    return raw;
}

void TForm1::CreateControls() {
    Im_Base = AddImage("Im_Base", {0, 0, 490, 580}, "Im_Base", false, true);
    Im_BaseScreen = AddImage("Im_BaseScreen", {115, 154, 268, 114}, "Im_BaseScreen", false, true);
    Puls_Speed = AddImage("Puls_Speed", {364, 410, 58, 55}, "Puls_Speed", false, true);
    // Outside the round button its picture takes a press and does nothing: no drag there.
    Puls_Speed->SetPointer(TCursor::Default, "", MouseRole::Inert);

    // Figures, each as body, hand, disc: the player's 5 down to 1, then the opponent's 4 down to 1.
    for (int i = 5; i >= 1; --i) {
        const int dy = 17 * (5 - i);
        const bool carrier = i == 5;
        const std::string body = Numbered("Im_Zarq", i);
        AddImage(body, {125, 164 + dy, 18, 18}, carrier ? body : "", true, false);
        AddImage(body + "Hand", {137, 172 + dy, 6, 4}, carrier ? body + "Hand" : "", false, false);
        AddImage(body + "Disk", {126, 168 + dy, 4, 8}, carrier ? body + "Disk" : "", false, false);
    }
    for (int i = 4; i >= 1; --i) {
        const int dy = 17 * (4 - i);
        const bool carrier = i == 4;
        const std::string body = Numbered("Im_Krev", i);
        AddImage(body, {323, 181 + dy, 17, 18}, carrier ? body : "", true, false);
        AddImage(body + "Hand", {323, 189 + dy, 6, 4}, carrier ? body + "Hand" : "", false, false);
        AddImage(body + "Disk", {336, 185 + dy, 4, 8}, carrier ? body + "Disk" : "", false, false);
    }

    for (int p = 1; p <= 4; ++p) {
        AddImage(Numbered("Im_NumPos", p), {kDigitPlaceLeft[p - 1], 161, 12, 18}, "", true, true);
    }

    // The grid: columns 1 to 7, within a column rows 5 down to 1.
    for (int c = 1; c <= 7; ++c) {
        for (int r = 5; r >= 1; --r) {
            const bool carrier =
                (c == kSourceCol && r == kSourceRow) || (c == kPlayerCol && r == kPlayerRow);
            for (auto [kind, origin] : {std::pair{"BarV", kBarV}, std::pair{"DiskV", kDiskV},
                                        std::pair{"BarH", kBarH}, std::pair{"DiskH", kDiskH}}) {
                const std::string name = Cell(kind, c, r);
                AddImage(name, InCell(origin, c, r), carrier ? name : "", false, false);
            }
            if (c == kSourceCol && r == kSourceRow) {
                // The two click shapes stack right after the first cell.
                auto move = std::make_unique<TShape>("Puls_Move", TRect{52, 400, 92, 84});
                move->SetPointer(TCursor::Help, "Use arrow keys", MouseRole::Drag);
                Puls_Move = move.get();
                controls_.push_back(std::move(move));
                auto speed = std::make_unique<TShape>("Puls_Speed2", TRect{364, 412, 60, 56});
                speed->SetPointer(TCursor::Help, "Use 'CTRL' key", MouseRole::Drag);
                Puls_Speed2 = speed.get();
                controls_.push_back(std::move(speed));
            }
        }
    }

    Im_BarH01 = AddImage("Im_BarH01", {127, 250, 15, 4}, "", false, false);
    Im_BarH81 = AddImage("Im_BarH81", {324, 250, 15, 4}, "", false, false);

    for (const BossPiece& piece : kBoss) {
        const bool isDisc = std::string(piece.name) == "Im_DiskH82";
        TImage* image =
            AddImage(piece.name, piece.bounds, isDisc ? "" : piece.name, piece.transparent, false);
        if (isDisc) Im_DiskH82 = image;
    }

    for (int d = 0; d <= 9; ++d) {
        const std::string name = Numbered("Im_Num", d);
        AddImage(name, {168 + 16 * d, 384, 12, 18}, name, false, false);
    }

    Puls_On = AddImage("Puls_On", {221, 431, 48, 19}, "Puls_On", false, false);
    Puls_On->SetPointer(TCursor::Hand, "Click to turn off game", MouseRole::SwitchOff);
    Puls_Off = AddImage("Puls_Off", {221, 431, 48, 19}, "Puls_Off", false, true);
    Puls_Off->SetPointer(TCursor::Hand, "Click to start game", MouseRole::SwitchOn);

    Im_BaseScreenTop = AddImage("Im_BaseScreenTop", {120, 152, 257, 105}, "", false, true);
    Im_BaseScreenTop->SetPointer(TCursor::Default, "", MouseRole::Drag);
    Im_Base->SetPointer(TCursor::Default, "", MouseRole::Drag);
}

TControl* TForm1::FindControl(const std::string& name) const {
    for (const auto& control : controls_) {
        if (control->Name() == name) return control.get();
    }
    return nullptr;
}

TImage* TForm1::FindElement(const std::string& name) const {
    return dynamic_cast<TImage*>(FindControl(name));
}

TImage* TForm1::Element(const std::string& name) const {
    TImage* image = FindElement(name);
    if (image == nullptr) throw std::logic_error("panel has no element " + name);
    return image;
}

TControl* TForm1::MouseTarget(int x, int y) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        const TControl& control = **it;
        if (control.Visible() && control.Role() != MouseRole::None && control.HitTest(x, y)) {
            return it->get();
        }
    }
    return nullptr;
}

void TForm1::AttachView(ElementView* view) {
    for (const auto& control : controls_) control->AttachView(view);
}

// Hands the carried pictures to the rest of each family and fills the index tables.
void TForm1::ShareAndIndex() {
    auto share = [this](const std::string& receiver, const std::string& source) {
        Element(receiver)->SetPicture(Element(source)->Picture());
    };
    for (int i = 1; i <= 4; ++i) {
        share(Numbered("Im_Zarq", i), "Im_Zarq5");
        share(Numbered("Im_Zarq", i, "Hand"), "Im_Zarq5Hand");
        share(Numbered("Im_Zarq", i, "Disk"), "Im_Zarq5Disk");
    }
    for (int i = 1; i <= 3; ++i) {
        share(Numbered("Im_Krev", i), "Im_Krev4");
        share(Numbered("Im_Krev", i, "Hand"), "Im_Krev4Hand");
        share(Numbered("Im_Krev", i, "Disk"), "Im_Krev4Disk");
    }
    for (int c = 1; c <= 7; ++c) {
        for (int r = 1; r <= 5; ++r) {
            const bool carrier =
                (c == kSourceCol && r == kSourceRow) || (c == kPlayerCol && r == kPlayerRow);
            if (carrier) continue;
            for (const char* kind : {"BarV", "BarH", "DiskV", "DiskH"}) {
                share(Cell(kind, c, r), Cell(kind, kSourceCol, kSourceRow));
            }
        }
    }
    share("Im_BarH01", "Im_BarH15");
    share("Im_BarH81", "Im_BarH15");
    share("Im_DiskH82", "Im_DiskH15");

    for (int p = 1; p <= 4; ++p) DigitPos[p] = Element(Numbered("Im_NumPos", p));
    for (int d = 0; d <= 9; ++d) DigitImage[d] = Element(Numbered("Im_Num", d));

    ElementColumn detached;
    detached.Fill(&noElement_);
    detached.SetSpare(&noElement_);
    for (auto [table, kind] : {std::pair{&BarH, "BarH"}, std::pair{&BarV, "BarV"},
                               std::pair{&DiskH, "DiskH"}, std::pair{&DiskV, "DiskV"}}) {
        table->SetSpare(detached);
        for (int c = 1; c <= 7; ++c) {
            (*table)[c].SetSpare(&noElement_);
            for (int r = 1; r <= 5; ++r) (*table)[c][r] = Element(Cell(kind, c, r));
        }
    }

    const TFigure noFigure{&noElement_, &noElement_, &noElement_};
    ZarqFigure.SetSpare(noFigure);
    KrevFigure.SetSpare(noFigure);
    for (int i = 1; i <= 5; ++i) {
        const std::string body = Numbered("Im_Zarq", i);
        ZarqFigure[i] = {Element(body), Element(body + "Hand"), Element(body + "Disk")};
    }
    for (int i = 1; i <= 4; ++i) {
        const std::string body = Numbered("Im_Krev", i);
        KrevFigure[i] = {Element(body), Element(body + "Hand"), Element(body + "Disk")};
    }

    // The bottom row: the player's four from the left edge inwards, the opponent's four from
    // the right edge inwards.
    const char* lifeBars[] = {"Im_BarH01", "Im_BarH11", "Im_BarH21", "Im_BarH31",
                              "Im_BarH81", "Im_BarH71", "Im_BarH61", "Im_BarH51"};
    for (int i = 1; i <= 8; ++i) LifeBar[i] = Element(lifeBars[i - 1]);

    const char* xom[] = {"Im_XomCover1", "Im_XomCover2", "Im_XomCover3", "Im_XomCover4",
                         "Im_XomTop",    "Im_XomMid",    "Im_XomLow",    "Im_XomMid1A",
                         "Im_XomMid2A",  "Im_XomMid3A",  "Im_XomMid4A",  "Im_XomMid5A",
                         "Im_XomMid1B",  "Im_XomMid2B",  "Im_XomMid3B",  "Im_XomMid4B",
                         "Im_XomMid5B",  "Im_DiskH82"};
    for (int i = 1; i <= 18; ++i) XomImage[i] = Element(xom[i - 1]);

    for (auto* table : {&DigitPos}) table->SetSpare(&noElement_);
    DigitImage.SetSpare(&noElement_);
    LifeBar.SetSpare(&noElement_);
    XomImage.SetSpare(&noElement_);
}

int TForm1::TableFaults() const {
    return DigitPos.Faults() + DigitImage.Faults() + TotalFaults(BarH) + TotalFaults(BarV) +
           TotalFaults(DiskH) + TotalFaults(DiskV) + ZarqFigure.Faults() + KrevFigure.Faults() +
           LifeBar.Faults() + XomImage.Faults() + TotalFaults(G.Labyrinth) +
           TotalFaults(G.SpeedTable);
}

}  // namespace zarq
