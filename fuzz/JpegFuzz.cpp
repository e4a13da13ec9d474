// libFuzzer target: the JPEG decoder must turn any bytes into a picture or an error, never a
// crash, a hang or a read outside its input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "desktop/window/JpegDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zarq::RgbPicture picture;
    std::string error;
    if (zarq::DecodeJpeg(data, size, picture, error)) {
        const std::size_t expected = static_cast<std::size_t>(picture.Width) * picture.Height * 3;
        if (picture.Width <= 0 || picture.Height <= 0 || picture.Width > zarq::kMaxJpegSide ||
            picture.Height > zarq::kMaxJpegSide || picture.Rgb.size() != expected) {
            std::abort();
        }
    } else if (error.empty() || !picture.Rgb.empty()) {
        std::abort();
    }
    return 0;
}
