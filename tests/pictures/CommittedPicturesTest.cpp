// The committed pictures seen from the panel: every picture an element shows is there, at the
// element's size, in the display's few colours; the grid keeps its fixed patterns; keyed
// pictures keep a black bottom-left pixel; nothing lit is hidden by a later element; the
// screen shows the trace of every element on it; the photographs follow the outline and the
// button and switch pictures fit the photograph around them.
#include <gtest/gtest.h>

#include <map>

#include "tests/harness/Harness.h"
#include "tests/pictures/PictureFiles.h"
#include "tools/assetgen/pictures/Catalogue.h"
#include "tools/assetgen/pictures/Outline.h"

namespace zarq::test {
namespace {

constexpr unsigned kBlack = 0x000000, kGreen = 0x18B618, kRed = 0xFF0000, kCyan = 0x40FFFF,
                   kTrace = 0x181818;

class CommittedPictures : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        toy_ = std::make_unique<Toy>();
        for (const assetgen::PictureSpec& entry : assetgen::PictureCatalogue(toy_->F())) {
            pictures_[entry.Key] = CommittedPicture(entry.Key);
        }
    }
    static void TearDownTestSuite() {
        pictures_.clear();
        toy_.reset();
    }

    static const QImage& Picture(const std::string& key) { return pictures_.at(key); }
    static TForm1& F() { return toy_->F(); }

    static std::unique_ptr<Toy> toy_;
    static std::map<std::string, QImage> pictures_;
};

std::unique_ptr<Toy> CommittedPictures::toy_;
std::map<std::string, QImage> CommittedPictures::pictures_;

TEST_F(CommittedPictures, EveryPictureAnElementShowsIsThereAtTheElementsSize) {
    EXPECT_EQ(pictures_.size(), 46u);
    for (const auto& control : F().Controls()) {
        const auto* image = dynamic_cast<const TImage*>(control.get());
        if (image == nullptr || image->Picture().empty()) continue;
        const QImage& picture = Picture(image->Picture());
        ASSERT_FALSE(picture.isNull()) << image->Picture() << " is missing or unreadable";
        EXPECT_EQ(picture.width(), image->Bounds().Width) << image->Name();
        EXPECT_EQ(picture.height(), image->Bounds().Height) << image->Name();
    }
    // The digit places show the digit sources' pictures.
    for (int place = 1; place <= 4; ++place) {
        for (int digit = 0; digit <= 9; ++digit) {
            const QImage& picture = Picture(F().DigitImage[digit]->Picture());
            EXPECT_EQ(picture.width(), F().DigitPos[place]->Bounds().Width);
            EXPECT_EQ(picture.height(), F().DigitPos[place]->Bounds().Height);
        }
    }
}

TEST_F(CommittedPictures, DisplayPicturesUseOnlyBlackAndTheirLitColours) {
    std::map<std::string, std::set<unsigned>> lit = {
        {"Im_BarV15", {kGreen}},        {"Im_BarH15", {kGreen}},  {"Im_DiskV15", {kRed}},
        {"Im_DiskH15", {kRed}},         {"Im_BarV43", {kCyan}},   {"Im_BarH43", {kCyan}},
        {"Im_DiskV43", {kCyan}},        {"Im_DiskH43", {kCyan}},  {"Im_Zarq5", {kCyan}},
        {"Im_Zarq5Hand", {kCyan}},      {"Im_Zarq5Disk", {kRed}}, {"Im_Krev4", {kRed}},
        {"Im_Krev4Hand", {kRed}},       {"Im_Krev4Disk", {kRed}}, {"Im_XomTop", {kGreen}},
        {"Im_XomMid", {kGreen, kCyan}}, {"Im_XomLow", {kCyan}},   {"Im_BaseScreen", {kTrace}},
    };
    for (int i = 1; i <= 4; ++i) lit["Im_XomCover" + std::to_string(i)] = {kCyan};
    for (int i = 1; i <= 5; ++i) {
        lit["Im_XomMid" + std::to_string(i) + "A"] = {kRed};
        lit["Im_XomMid" + std::to_string(i) + "B"] = {kRed};
    }
    for (int d = 0; d <= 9; ++d) lit["Im_Num" + std::to_string(d)] = {kCyan};

    for (const auto& [key, picture] : pictures_) {
        if (key == "Im_Base" || key == "Puls_Speed" || key == "Puls_On" || key == "Puls_Off") {
            continue;
        }
        ASSERT_TRUE(lit.count(key)) << key << " has no colour rule";
        std::set<unsigned> allowed = lit.at(key);
        allowed.insert(kBlack);
        const std::set<unsigned> used = ColoursOf(picture);
        for (unsigned colour : used) {
            EXPECT_TRUE(allowed.count(colour)) << key << " uses " << std::hex << colour;
        }
        for (unsigned colour : lit.at(key)) {
            EXPECT_TRUE(used.count(colour)) << key << " never shows " << std::hex << colour;
        }
    }
}

std::string AsText(const QImage& image) {
    std::string text;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) text += IsBlack(image.pixel(x, y)) ? '.' : '#';
        text += '\n';
    }
    return text;
}

TEST_F(CommittedPictures, GridPicturesAreTheToysFixedPatterns) {
    const std::string barV =
        ".##.\n####\n####\n.##.\n....\n.##.\n.##.\n.##.\n.##.\n.##.\n....\n.##.\n####\n####\n.##."
        "\n";
    const std::string barH =
        ".##.........##.\n"
        "####.#####.####\n"
        "####.#####.####\n"
        ".##.........##.\n";
    const std::string diskV = "#.\n##\n##\n##\n##\n##\n#.\n";
    const std::string diskH = ".#####.\n#######\n";
    for (const char* cell : {"15", "43"}) {
        EXPECT_EQ(AsText(Picture(std::string("Im_BarV") + cell)), barV) << cell;
        EXPECT_EQ(AsText(Picture(std::string("Im_BarH") + cell)), barH) << cell;
        EXPECT_EQ(AsText(Picture(std::string("Im_DiskV") + cell)), diskV) << cell;
        EXPECT_EQ(AsText(Picture(std::string("Im_DiskH") + cell)), diskH) << cell;
    }
}

TEST_F(CommittedPictures, TheFinerSetsHoldTheSamePicturesDrawnFinerNotEnlarged) {
    for (int k : {2, 3}) {
        for (const auto& [key, coarse] : pictures_) {
            const QImage fine = CommittedPicture(key, k);
            ASSERT_FALSE(fine.isNull()) << key << " at " << k << "x is missing";
            ASSERT_EQ(fine.size(), coarse.size() * k) << key << " at " << k << "x";
            const QImage enlarged =
                coarse.scaled(coarse.size() * k, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            if (key == "Im_Base" || key == "Puls_Speed" || key == "Puls_On" || key == "Puls_Off") {
                // The same photograph: brought back to the panel's pixels it is close to the
                // 1x one; taken finer, it differs from the enlarged one all over.
                const QImage reduced =
                    fine.scaled(coarse.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                EXPECT_LT(MeanColourDifference(reduced, coarse), 8.0) << key << " at " << k << "x";
                EXPECT_GT(MeanColourDifference(fine, enlarged), 2.0) << key << " at " << k << "x";
                continue;
            }
            // The same pixel art: every pixel's colour is still in its block (at 3x, in the
            // block's middle), the key pixel stays, and no colour is new.
            for (int y = 0; y < coarse.height(); ++y) {
                for (int x = 0; x < coarse.width(); ++x) {
                    const QRgb own = coarse.pixel(x, y);
                    bool kept = false;
                    for (int dy = 0; dy < k; ++dy) {
                        for (int dx = 0; dx < k; ++dx)
                            kept |= fine.pixel(x * k + dx, y * k + dy) == own;
                    }
                    EXPECT_TRUE(kept) << key << " at " << k << "x loses pixel " << x << "," << y;
                    if (k == 3) {
                        EXPECT_EQ(fine.pixel(x * 3 + 1, y * 3 + 1), own) << key;
                    }
                }
            }
            if (IsBlack(coarse.pixel(0, coarse.height() - 1))) {
                EXPECT_TRUE(IsBlack(fine.pixel(0, fine.height() - 1))) << key << " at " << k;
            }
            std::set<unsigned> allowed = ColoursOf(coarse);
            allowed.insert(kBlack);
            for (unsigned colour : ColoursOf(fine)) EXPECT_TRUE(allowed.count(colour)) << key;
            // Drawn finer, it has finer steps somewhere (a block of one colour has none).
            if (ColoursOf(coarse).size() > 1) {
                EXPECT_NE(fine, enlarged) << key << " at " << k << "x is the 1x picture enlarged";
            }
        }
    }
}

TEST_F(CommittedPictures, PicturesOfTransparentElementsHaveABlackBottomLeftPixel) {
    std::set<std::string> keyed;
    for (const auto& control : F().Controls()) {
        const auto* image = dynamic_cast<const TImage*>(control.get());
        if (image != nullptr && image->Transparent() && !image->Picture().empty()) {
            keyed.insert(image->Picture());
        }
    }
    // The digit places are transparent and show the digit sources.
    for (int d = 0; d <= 9; ++d) keyed.insert(F().DigitImage[d]->Picture());
    EXPECT_EQ(keyed.size(), 21u);
    for (const std::string& key : keyed) {
        const QImage& picture = Picture(key);
        EXPECT_TRUE(IsBlack(picture.pixel(0, picture.height() - 1))) << key;
        // Keying out black must leave something to see.
        EXPECT_GT(ColoursOf(picture).size(), 1u) << key;
    }
}

// The display with the given elements lit, painted the way the window paints it. Returns
// the keys of lit pixels that a later element's black background covers.
std::vector<std::string> HiddenLitPixels(const TForm1& form,
                                         const std::map<std::string, QImage>& pictures) {
    struct Owner {
        const TImage* image = nullptr;
    };
    std::map<std::pair<int, int>, Owner> litBy;
    std::vector<std::string> hidden;
    for (const auto& control : form.Controls()) {
        const auto* image = dynamic_cast<const TImage*>(control.get());
        if (image == nullptr || !image->Visible() || image->Picture().empty()) continue;
        if (image->Name() == "Im_Base" || image->Name() == "Im_BaseScreen") continue;
        const QImage& picture = pictures.at(image->Picture());
        const QRgb key = picture.pixel(0, picture.height() - 1);
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const QRgb p = picture.pixel(x, y);
                if (image->Transparent() && p == key) continue;
                const std::pair<int, int> at{image->Bounds().Left + x, image->Bounds().Top + y};
                auto it = litBy.find(at);
                if (IsBlack(p)) {
                    if (it != litBy.end()) {
                        hidden.push_back(it->second.image->Name() + " under " + image->Name() +
                                         " at " + std::to_string(at.first) + "," +
                                         std::to_string(at.second));
                        litBy.erase(it);
                    }
                } else {
                    litBy[at] = {image};
                }
            }
        }
    }
    return hidden;
}

TEST_F(CommittedPictures, NoLitPixelIsHiddenByTheBackgroundOfALaterElement) {
    Toy toy;
    TForm1& f = toy.F();
    f.MostraTuttoBar(true);
    f.MostraTuttoDisk(true);
    f.MostraTuttoXOM(true);
    f.Im_BarH01->SetVisible(true);
    f.Im_BarH81->SetVisible(true);
    for (int place = 1; place <= 4; ++place) f.DigitPos[place]->SetPicture("Im_Num8");
    for (bool holdingDiscs : {true, false}) {
        toy.G().ZarqHasDisc = holdingDiscs;
        toy.G().KrevHasDisc = holdingDiscs;
        for (int row = 1; row <= 5; ++row) {
            toy.G().ZarqRow = row;
            f.MostraZarq(true);
        }
        for (int row = 1; row <= 4; ++row) {
            toy.G().KrevRow = row;
            f.MostraKrev(true);
        }
        const std::vector<std::string> hidden = HiddenLitPixels(f, pictures_);
        EXPECT_TRUE(hidden.empty()) << (holdingDiscs ? "with discs: " : "with hands: ")
                                    << hidden.size() << " hidden, first " << hidden.front();
    }
}

TEST_F(CommittedPictures, TheScreenShowsExactlyTheTraceOfTheElementsOnIt) {
    const QImage& screen = Picture("Im_BaseScreen");
    const TRect s = F().Im_BaseScreen->Bounds();
    QImage expected(screen.size(), QImage::Format_RGB32);
    expected.fill(Qt::black);
    auto trace = [&](const TRect& r, const QImage& picture) {
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                if (!IsBlack(picture.pixel(x, y))) {
                    expected.setPixel(r.Left - s.Left + x, r.Top - s.Top + y,
                                      qRgb(0x18, 0x18, 0x18));
                }
            }
        }
    };
    int traced = 0;
    for (const auto& control : F().Controls()) {
        const auto* image = dynamic_cast<const TImage*>(control.get());
        if (image == nullptr || image->Picture().empty() || image == F().Im_BaseScreen) continue;
        const TRect& r = image->Bounds();
        const bool onScreen = r.Left >= s.Left && r.Top >= s.Top &&
                              r.Left + r.Width <= s.Left + s.Width &&
                              r.Top + r.Height <= s.Top + s.Height;
        if (!onScreen) continue;
        trace(r, Picture(image->Picture()));
        ++traced;
    }
    for (int place = 1; place <= 4; ++place) {
        for (int d = 0; d <= 9; ++d)
            trace(F().DigitPos[place]->Bounds(), Picture("Im_Num" + std::to_string(d)));
    }
    // Figures, hands and discs, the grid, the two extra bars and the boss.
    EXPECT_EQ(traced, 15 + 12 + 140 + 2 + 18);
    ASSERT_EQ(screen.size(), expected.size());
    int differing = 0;
    for (int y = 0; y < screen.height(); ++y) {
        for (int x = 0; x < screen.width(); ++x) {
            if ((screen.pixel(x, y) & 0xFFFFFFU) != (expected.pixel(x, y) & 0xFFFFFFU)) ++differing;
        }
    }
    EXPECT_EQ(differing, 0);
}

TEST_F(CommittedPictures, ThePhotographIsWhiteOutsideTheOutlineAndBodyInsideIt) {
    const QImage& base = Picture("Im_Base");
    auto whiteish = [](QRgb p) { return std::min({qRed(p), qGreen(p), qBlue(p)}) > 225; };
    int rows = 0;
    for (int y = 0; y < assetgen::kPanelHeight; ++y) {
        const assetgen::RowSpan span = assetgen::OutlineRow(y);
        // Two pixels away from the edge, clear of the photograph's compression.
        if (span.Left - 2 >= 0) {
            EXPECT_TRUE(whiteish(base.pixel(span.Left - 2, y))) << "left of row " << y;
        }
        if (span.Right + 1 < assetgen::kPanelWidth) {
            EXPECT_TRUE(whiteish(base.pixel(span.Right + 1, y))) << "right of row " << y;
        }
        EXPECT_FALSE(whiteish(base.pixel(span.Left + 1, y))) << "left edge of row " << y;
        EXPECT_FALSE(whiteish(base.pixel(std::min(span.Right, assetgen::kPanelWidth) - 2, y)))
            << "right edge of row " << y;
        ++rows;
    }
    EXPECT_EQ(rows, 580);
}

// Mean difference of the pixels of `part` (placed at `at`) from the photograph, over the
// pixels `which` selects.
template <typename Which>
double MeanDifference(const QImage& part, const QImage& base, QPoint at, Which which) {
    double sum = 0;
    int count = 0;
    for (int y = 0; y < part.height(); ++y) {
        for (int x = 0; x < part.width(); ++x) {
            if (!which(x, y)) continue;
            const QRgb a = part.pixel(x, y);
            const QRgb b = base.pixel(at.x() + x, at.y() + y);
            sum += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                   std::abs(qBlue(a) - qBlue(b));
            count += 3;
        }
    }
    return count == 0 ? 0 : sum / count;
}

TEST_F(CommittedPictures, ButtonAndSwitchPicturesFitThePhotographAroundThem) {
    const QImage& base = Picture("Im_Base");
    auto border = [](const QImage& image) {
        return [&image](int x, int y) {
            return x < 2 || y < 2 || x >= image.width() - 2 || y >= image.height() - 2;
        };
    };
    auto middle = [](const QImage& image) {
        return [&image](int x, int y) {
            return std::abs(x - image.width() / 2) < 6 && std::abs(y - image.height() / 2) < 4;
        };
    };
    const QImage& speed = Picture("Puls_Speed");
    const QImage& on = Picture("Puls_On");
    const QImage& off = Picture("Puls_Off");
    const QPoint speedAt(F().Puls_Speed->Bounds().Left, F().Puls_Speed->Bounds().Top);
    const QPoint switchAt(F().Puls_On->Bounds().Left, F().Puls_On->Bounds().Top);

    EXPECT_LT(MeanDifference(speed, base, speedAt, border(speed)), 3.0);
    EXPECT_LT(MeanDifference(on, base, switchAt, border(on)), 3.0);
    EXPECT_LT(MeanDifference(off, base, switchAt, [](int, int) { return true; }), 3.0);
    // The photograph shows the button held down; its picture shows it up.
    EXPECT_GT(MeanDifference(speed, base, speedAt, middle(speed)), 12.0);
    // The knob has moved from one end of the slot to the other.
    auto leftEnd = [](int x, int y) { return x >= 10 && x < 20 && y >= 6 && y < 13; };
    auto rightEnd = [](int x, int y) { return x >= 28 && x < 38 && y >= 6 && y < 13; };
    EXPECT_GT(MeanDifference(on, base, switchAt, leftEnd), 20.0);
    EXPECT_GT(MeanDifference(on, base, switchAt, rightEnd), 20.0);
    EXPECT_LT(MeanDifference(off, base, switchAt, leftEnd), 3.0);
}

}  // namespace
}  // namespace zarq::test
