// Fields, the exact Euclidean distance transform (two passes of the lower envelope of
// parabolas), a separable Gaussian blur and hash-based noise. Everything here is plain
// arithmetic in a fixed order, so the same input always gives the same output.
#include "tools/assetgen/pictures/Relief.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>

namespace zarq::assetgen {

Field::Field(int width, int height, float value)
    : width_(width),
      height_(height),
      values_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), value) {}

float Field::Clamped(int x, int y) const {
    return At(std::clamp(x, 0, width_ - 1), std::clamp(y, 0, height_ - 1));
}

float Field::Sample(float x, float y) const {
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int x0 = static_cast<int>(fx);
    const int y0 = static_cast<int>(fy);
    const float tx = x - fx;
    const float ty = y - fy;
    const float top = Clamped(x0, y0) * (1 - tx) + Clamped(x0 + 1, y0) * tx;
    const float bottom = Clamped(x0, y0 + 1) * (1 - tx) + Clamped(x0 + 1, y0 + 1) * tx;
    return top * (1 - ty) + bottom * ty;
}

Field& Field::operator+=(const Field& other) {
    for (std::size_t i = 0; i < values_.size(); ++i) values_[i] += other.values_[i];
    return *this;
}

Field Coverage(const QPainterPath& path, int width, int height, double scale) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.scale(scale, scale);
        painter.fillPath(path, QColor(255, 255, 255, 255));
    }
    Field field(width, height);
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x)
            field.At(x, y) = static_cast<float>(qAlpha(line[x])) / 255.0F;
    }
    return field;
}

namespace {

constexpr double kFar = 1e20;

// One-dimensional squared distance transform of f (Felzenszwalb and Huttenlocher).
void Transform1D(const std::vector<double>& f, std::vector<double>& out, std::vector<int>& v,
                 std::vector<double>& z) {
    const int n = static_cast<int>(f.size());
    int k = 0;
    v[0] = 0;
    z[0] = -std::numeric_limits<double>::infinity();
    z[1] = std::numeric_limits<double>::infinity();
    for (int q = 1; q < n; ++q) {
        auto intersect = [&](int p) {
            return ((f[q] + static_cast<double>(q * q)) - (f[p] + static_cast<double>(p * p))) /
                   static_cast<double>(2 * q - 2 * p);
        };
        double s = intersect(v[k]);
        while (s <= z[k]) {
            --k;
            s = intersect(v[k]);
        }
        ++k;
        v[k] = q;
        z[k] = s;
        z[k + 1] = std::numeric_limits<double>::infinity();
    }
    k = 0;
    for (int q = 0; q < n; ++q) {
        while (z[k + 1] < static_cast<double>(q)) ++k;
        const double d = static_cast<double>(q - v[k]);
        out[q] = d * d + f[v[k]];
    }
}

// Distance from every pixel to the nearest pixel on the `inside` side of the edge.
Field DistanceTo(const Field& coverage, bool inside) {
    const int w = coverage.Width();
    const int h = coverage.Height();
    const auto at = [w](int x, int y) {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
               static_cast<std::size_t>(x);
    };
    std::vector<double> d(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool isInside = coverage.At(x, y) >= 0.5F;
            d[at(x, y)] = isInside == inside ? 0.0 : kFar;
        }
    }
    const auto n = static_cast<std::size_t>(std::max(w, h));
    std::vector<double> f(n);
    std::vector<double> out(n);
    std::vector<int> v(n);
    std::vector<double> z(n + 1);
    f.resize(static_cast<std::size_t>(h));
    out.resize(static_cast<std::size_t>(h));
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y) f[static_cast<std::size_t>(y)] = d[at(x, y)];
        Transform1D(f, out, v, z);
        for (int y = 0; y < h; ++y) d[at(x, y)] = out[static_cast<std::size_t>(y)];
    }
    f.resize(static_cast<std::size_t>(w));
    out.resize(static_cast<std::size_t>(w));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) f[static_cast<std::size_t>(x)] = d[at(x, y)];
        Transform1D(f, out, v, z);
        for (int x = 0; x < w; ++x) d[at(x, y)] = out[static_cast<std::size_t>(x)];
    }
    Field distance(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) distance.At(x, y) = static_cast<float>(std::sqrt(d[at(x, y)]));
    }
    return distance;
}

}  // namespace

Field SignedDistance(const Field& coverage) {
    const Field toOutside = DistanceTo(coverage, false);
    const Field toInside = DistanceTo(coverage, true);
    Field s(coverage.Width(), coverage.Height());
    for (int y = 0; y < s.Height(); ++y) {
        for (int x = 0; x < s.Width(); ++x) {
            s.At(x, y) =
                coverage.At(x, y) >= 0.5F ? toOutside.At(x, y) - 0.5F : 0.5F - toInside.At(x, y);
        }
    }
    return s;
}

namespace {

Field GaussianBlur(const Field& field, float sigma) {
    const int radius = std::max(1, static_cast<int>(std::ceil(sigma * 3.0F)));
    std::vector<float> kernel(static_cast<std::size_t>(2 * radius + 1));
    float sum = 0;
    for (int i = -radius; i <= radius; ++i) {
        const float w = std::exp(-static_cast<float>(i * i) / (2 * sigma * sigma));
        kernel[static_cast<std::size_t>(i + radius)] = w;
        sum += w;
    }
    for (float& w : kernel) w /= sum;

    const int width = field.Width();
    const int height = field.Height();
    Field across(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float acc = 0;
            for (int i = -radius; i <= radius; ++i) {
                acc += kernel[static_cast<std::size_t>(i + radius)] * field.Clamped(x + i, y);
            }
            across.At(x, y) = acc;
        }
    }
    Field out(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float acc = 0;
            for (int i = -radius; i <= radius; ++i) {
                acc += kernel[static_cast<std::size_t>(i + radius)] * across.Clamped(x, y + i);
            }
            out.At(x, y) = acc;
        }
    }
    return out;
}

// One pass of a box average of width 2r+1 along rows (or columns), edges clamped, with a
// running sum so the cost does not grow with the width.
Field BoxPass(const Field& in, int r, bool alongRows) {
    const int w = in.Width();
    const int h = in.Height();
    Field out(w, h);
    const int lines = alongRows ? h : w;
    const int length = alongRows ? w : h;
    const auto at = [&](int line, int i) -> float {
        i = std::clamp(i, 0, length - 1);
        return alongRows ? in.At(i, line) : in.At(line, i);
    };
    const double scale = 1.0 / (2 * r + 1);
    for (int line = 0; line < lines; ++line) {
        double sum = 0;
        for (int i = -r; i <= r; ++i) sum += at(line, i);
        for (int i = 0; i < length; ++i) {
            const float v = static_cast<float>(sum * scale);
            if (alongRows) {
                out.At(i, line) = v;
            } else {
                out.At(line, i) = v;
            }
            sum += at(line, i + r + 1) - at(line, i - r);
        }
    }
    return out;
}

// Three box averages whose widths together give the Gaussian's variance.
Field BoxBlur(const Field& field, float sigma) {
    constexpr int kPasses = 3;
    const double ideal = std::sqrt(12.0 * sigma * sigma / kPasses + 1);
    int lower = static_cast<int>(std::floor(ideal));
    if (lower % 2 == 0) --lower;
    const int upper = lower + 2;
    const double m =
        (12.0 * sigma * sigma - kPasses * lower * lower - 4.0 * kPasses * lower - 3.0 * kPasses) /
        (-4.0 * lower - 4);
    const int lowerPasses = static_cast<int>(std::lround(m));
    Field out = field;
    for (int pass = 0; pass < kPasses; ++pass) {
        const int width = pass < lowerPasses ? lower : upper;
        out = BoxPass(out, width / 2, true);
        out = BoxPass(out, width / 2, false);
    }
    return out;
}

}  // namespace

Field Blur(const Field& field, float sigma) {
    return sigma <= 2.5F ? GaussianBlur(field, sigma) : BoxBlur(field, sigma);
}

float HashNoise(int x, int y, std::uint32_t seed) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 0x8da6b343U ^
                      static_cast<std::uint32_t>(y) * 0xd8163841U ^ seed * 0xcb1ab31fU;
    h ^= h >> 13;
    h *= 0x5bd1e995U;
    h ^= h >> 15;
    return static_cast<float>(h & 0xFFFFFFU) / static_cast<float>(0x7FFFFF) - 1.0F;
}

float ValueNoise(float x, float y, float cell, std::uint32_t seed) {
    const float gx = x / cell;
    const float gy = y / cell;
    const float fx = std::floor(gx);
    const float fy = std::floor(gy);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    auto fade = [](float t) { return t * t * (3 - 2 * t); };
    const float tx = fade(gx - fx);
    const float ty = fade(gy - fy);
    const float a = HashNoise(ix, iy, seed);
    const float b = HashNoise(ix + 1, iy, seed);
    const float c = HashNoise(ix, iy + 1, seed);
    const float d = HashNoise(ix + 1, iy + 1, seed);
    return (a * (1 - tx) + b * tx) * (1 - ty) + (c * (1 - tx) + d * tx) * ty;
}

float Clamp01(float v) {
    return std::clamp(v, 0.0F, 1.0F);
}

float RoundEdge(float s, float width, float height) {
    if (s <= 0) return 0;
    if (s >= width) return height;
    const float t = 1 - s / width;
    return height * std::sqrt(1 - t * t);
}

float SmoothEdge(float s, float width, float height) {
    const float t = Clamp01(s / width);
    return height * t * t * (3 - 2 * t);
}

}  // namespace zarq::assetgen
