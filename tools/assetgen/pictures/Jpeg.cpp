// The JPEG wrapper. libjpeg reports fatal errors through error_exit, which must not return;
// ours jumps back to the call with longjmp. Between setjmp and the jump only plain C data is
// alive (the C++ buffers are created before setjmp and outlive it), so nothing is skipped.
#include "tools/assetgen/pictures/Jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace zarq::assetgen {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void JumpOnError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

extern "C" void SilentMessage(j_common_ptr) {}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File Open(const std::filesystem::path& file, const char* mode) {
    File f(std::fopen(file.c_str(), mode));
    if (!f) throw std::runtime_error("cannot open " + file.string());
    return f;
}

}  // namespace

void WriteJpeg(const QImage& image, const std::filesystem::path& file, int quality) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    File out = Open(file, "wb");
    jpeg_compress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = JumpOnError;
    errors.base.output_message = SilentMessage;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_compress(&info);
        throw std::runtime_error("cannot write " + file.string() + ": " + errors.message);
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out.get());
    info.image_width = static_cast<JDIMENSION>(rgb.width());
    info.image_height = static_cast<JDIMENSION>(rgb.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.dct_method = JDCT_ISLOW;  // exact integer transform: the same bytes on every machine
    info.optimize_coding = TRUE;
    for (int c = 0; c < 3; ++c) {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        auto* line = const_cast<JSAMPLE*>(rgb.constScanLine(static_cast<int>(info.next_scanline)));
        JSAMPROW rows[1] = {line};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
}

QImage ReadJpeg(const std::filesystem::path& file) {
    File in = Open(file, "rb");
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    // Written only through this pointer after setjmp, so a jump leaves it in a known state.
    struct Decoded {
        QImage image;
        std::vector<JSAMPLE> line;
    };
    const auto decoded = std::make_unique<Decoded>();
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = JumpOnError;
    errors.base.output_message = SilentMessage;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&info);
        throw std::runtime_error("cannot read " + file.string() + ": " + errors.message);
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, in.get());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const int width = static_cast<int>(info.output_width);
    const int height = static_cast<int>(info.output_height);
    decoded->line.resize(static_cast<std::size_t>(width) * 3);
    decoded->image = QImage(width, height, QImage::Format_RGB32);
    const std::vector<JSAMPLE>& line = decoded->line;
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        JSAMPROW rows[1] = {decoded->line.data()};
        jpeg_read_scanlines(&info, rows, 1);
        auto* out = reinterpret_cast<QRgb*>(decoded->image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(x) * 3;
            out[x] = qRgb(line[i], line[i + 1], line[i + 2]);
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return decoded->image;
}

}  // namespace zarq::assetgen
