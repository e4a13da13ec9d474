// JPEG files written and read with libjpeg directly. Errors come back as exceptions from a
// small error manager instead of ending the process.
#pragma once

#include <QImage>
#include <filesystem>

namespace zarq::assetgen {

// Baseline JPEG, 4:4:4, the given quality; the same picture always gives the same bytes.
void WriteJpeg(const QImage& image, const std::filesystem::path& file, int quality);

// An RGB32 picture; throws std::runtime_error for a missing or corrupt file.
QImage ReadJpeg(const std::filesystem::path& file);

}  // namespace zarq::assetgen
