// The outline as two tables of knots, one per edge. Between two knots an edge moves evenly and
// reaches the later knot's value exactly on its row; a knot repeated on a later row holds the
// edge still. The rows the window is known by (the top edge, the waist around the display,
// the widest band and the last two rows of the rounded foot) are knots themselves.
#include "tools/assetgen/pictures/Outline.h"

#include <array>
#include <cstdlib>
#include <span>

namespace zarq::assetgen {

namespace {

struct Knot {
    int Row;
    int X;
};

// The foot's two rounded corners, rows 562 to 579: how far each edge has drawn in from the
// widest band. The right corner is the larger one.
constexpr int kFootRows = 18;
constexpr int kFootTop = kPanelHeight - kFootRows;
constexpr std::array<int, kFootRows> kFootLeftIn = {0, 1, 1, 2, 2, 2,  3,  3,  4,
                                                    4, 5, 6, 7, 8, 10, 12, 16, 42};
constexpr std::array<int, kFootRows> kFootRightIn = {1, 1, 2,  2,  3,  4,  4,  5,  6,
                                                     7, 9, 11, 13, 16, 20, 25, 37, 62};
constexpr int kWidestLeft = 1;
constexpr int kWidestRight = 491;

// clang-format off
constexpr Knot kLeftKnots[] = {
    //  row   x
    {   0,  63},   // top edge
    {   1,  58}, {   2,  55}, {   3,  53}, {   4,  52}, {   6,  51},   // rounded top corner
    {  91,  43},   // shoulders
    { 169,  43}, { 170,  42},   // beside the display
    { 273,  42}, { 274,  41},
    { 344,  30},   // the body starts to flare
    { 351,  30}, { 352,  29},
    { 553,   1},   // widest
    { 561,   1},
};
constexpr Knot kRightKnots[] = {
    //  row   x
    {   0, 426},   // top edge
    {   1, 431}, {   2, 435}, {   3, 437}, {   4, 439}, {   5, 440},   // rounded top corner
    {  91, 453},   // shoulders
    { 135, 453}, { 136, 452},   // the right side draws in slightly beside the display
    { 204, 452}, { 205, 451},
    { 266, 451}, { 267, 452},
    { 339, 461},   // the body starts to flare
    { 355, 461}, { 356, 462},
    { 554, 491},   // widest
    { 561, 491},
};
// clang-format on

int Interpolate(std::span<const Knot> knots, int y) {
    for (std::size_t i = 1; i < knots.size(); ++i) {
        const Knot& a = knots[i - 1];
        const Knot& b = knots[i];
        if (y > b.Row) continue;
        if (y == b.Row) return b.X;
        // Truncation toward the earlier value: the last step lands on the knot's own row.
        const int moved = std::abs(b.X - a.X) * (y - a.Row) / (b.Row - a.Row);
        return b.X >= a.X ? a.X + moved : a.X - moved;
    }
    return knots.back().X;
}

}  // namespace

RowSpan OutlineRow(int y) {
    if (y >= kFootTop) {
        const int k = y - kFootTop;
        return {kWidestLeft + kFootLeftIn[k], kWidestRight - kFootRightIn[k]};
    }
    return {Interpolate(kLeftKnots, y), Interpolate(kRightKnots, y)};
}

std::vector<RegionRect> OutlineBands() {
    std::vector<RegionRect> bands;
    for (int y = 0; y < kPanelHeight; ++y) {
        const RowSpan span = OutlineRow(y);
        if (!bands.empty() && bands.back().Left == span.Left && bands.back().Right == span.Right) {
            bands.back().Bottom = y + 1;
        } else {
            bands.push_back({span.Left, y, span.Right, y + 1});
        }
    }
    return bands;
}

bool InsideOutline(int x, int y) {
    if (y < 0 || y >= kPanelHeight) return false;
    const RowSpan span = OutlineRow(y);
    return x >= span.Left && x < span.Right;
}

}  // namespace zarq::assetgen
