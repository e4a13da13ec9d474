// The toy's outline seen from the front: for every row of the 490 x 580 panel, the first
// pixel inside and the first pixel past the right edge. The panel photograph is drawn inside
// it and the window's region data is made from it, so the two always agree.
#pragma once

#include <vector>

#include "core/skin/RegionData.h"

namespace zarq::assetgen {

inline constexpr int kPanelWidth = 490;
inline constexpr int kPanelHeight = 580;

struct RowSpan {
    int Left = 0;   // first pixel inside
    int Right = 0;  // first pixel outside, may lie past the window's right edge
    bool operator==(const RowSpan&) const = default;
};

// The span of row y, 0 <= y < kPanelHeight.
RowSpan OutlineRow(int y);

// The outline as a region: one rectangle per run of rows with the same span, top to bottom.
std::vector<RegionRect> OutlineBands();

// Whether pixel (x, y) of the panel lies inside the outline.
bool InsideOutline(int x, int y);

}  // namespace zarq::assetgen
