// Float fields for the photograph: heights, distances and material values on a pixel grid,
// with the distance transform, blur and noise the renderer builds its relief from.
#pragma once

#include <QImage>
#include <QPainterPath>
#include <cstdint>
#include <vector>

namespace zarq::assetgen {

class Field {
  public:
    Field(int width, int height, float value = 0.0F);

    int Width() const { return width_; }
    int Height() const { return height_; }
    float& At(int x, int y) { return values_[Index(x, y)]; }
    float At(int x, int y) const { return values_[Index(x, y)]; }
    // Clamped to the border, for neighbourhood reads.
    float Clamped(int x, int y) const;
    // Bilinear, clamped to the border.
    float Sample(float x, float y) const;

    Field& operator+=(const Field& other);

  private:
    std::size_t Index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(x);
    }
    int width_;
    int height_;
    std::vector<float> values_;
};

// Coverage (0..1) of `path` drawn antialiased on a width x height grid after scaling its
// coordinates by `scale`.
Field Coverage(const QPainterPath& path, int width, int height, double scale);

// Signed distance to the edge of the region where coverage >= 0.5: positive inside,
// negative outside, in grid pixels (exact Euclidean distance between pixel centres, minus a
// half pixel so the edge lies between the last pixel in and the first pixel out).
Field SignedDistance(const Field& coverage);

// Gaussian blur with the given sigma in grid pixels, edges clamped.
Field Blur(const Field& field, float sigma);

// Deterministic noise in -1..1: white noise per pixel from (x, y, seed).
float HashNoise(int x, int y, std::uint32_t seed);
// Smooth value noise in -1..1 with features about `cell` pixels apart.
float ValueNoise(float x, float y, float cell, std::uint32_t seed);

// Profiles of a moulded edge at signed distance s from it: 0 outside, rising to `height`
// over `width` pixels inside.
float RoundEdge(float s, float width, float height);   // quarter round
float SmoothEdge(float s, float width, float height);  // S-shaped
float Clamp01(float v);

}  // namespace zarq::assetgen
