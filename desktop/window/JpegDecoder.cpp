// libjpeg's default error handler ends the process; ours jumps back to the decoder instead.
// Warnings (corrupt data that libjpeg would paper over) count as errors too: a damaged
// photograph is refused rather than shown half grey.
#include "desktop/window/JpegDecoder.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>

namespace zarq {

namespace {

struct ErrorManager {
    jpeg_error_mgr Base;  // first member: libjpeg hands us a pointer to it
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

[[noreturn]] void FailJump(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->Message);
    std::longjmp(err->Jump, 1);
}

void OnMessage(j_common_ptr cinfo, int level) {
    if (level < 0) FailJump(cinfo);  // a warning: the data is damaged
}

void Quiet(j_common_ptr) {}

// Everything that may jump back lives here. Its locals are all trivial, so the jump skips no
// destructor; the output lives in the caller's frame.
bool RunDecompress(jpeg_decompress_struct* cinfo, ErrorManager* err, const std::uint8_t* data,
                   std::size_t size, RgbPicture* out, char* reason, std::size_t reasonSize) {
    if (setjmp(err->Jump) != 0) {
        std::snprintf(reason, reasonSize, "%s", err->Message);
        return false;
    }
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(cinfo, TRUE);
    if (cinfo->image_width == 0 || cinfo->image_height == 0 ||
        cinfo->image_width > static_cast<JDIMENSION>(kMaxJpegSide) ||
        cinfo->image_height > static_cast<JDIMENSION>(kMaxJpegSide)) {
        std::snprintf(reason, reasonSize, "picture size %ux%u is out of range", cinfo->image_width,
                      cinfo->image_height);
        return false;
    }
    cinfo->out_color_space = JCS_RGB;
    jpeg_start_decompress(cinfo);
    if (cinfo->output_components != 3) {
        std::snprintf(reason, reasonSize, "unexpected %d colour components",
                      cinfo->output_components);
        return false;
    }
    out->Width = static_cast<int>(cinfo->output_width);
    out->Height = static_cast<int>(cinfo->output_height);
    out->Rgb.resize(static_cast<std::size_t>(out->Width) * out->Height * 3);
    const std::size_t stride = static_cast<std::size_t>(out->Width) * 3;
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = out->Rgb.data() + stride * cinfo->output_scanline;
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1) {
            std::snprintf(reason, reasonSize, "the data ends early");
            return false;
        }
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

}  // namespace

bool DecodeJpeg(const std::uint8_t* data, std::size_t size, RgbPicture& out, std::string& error) {
    out = RgbPicture{};
    if (data == nullptr || size == 0) {
        error = "the file is empty";
        return false;
    }
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    cinfo.err = jpeg_std_error(&err.Base);
    err.Base.error_exit = FailJump;
    err.Base.emit_message = OnMessage;
    err.Base.output_message = Quiet;
    char reason[JMSG_LENGTH_MAX + 64] = {};
    const bool ok = RunDecompress(&cinfo, &err, data, size, &out, reason, sizeof reason);
    jpeg_destroy_decompress(&cinfo);  // safe after a jump and on a never-created object
    if (!ok) {
        error = reason;
        out = RgbPicture{};
    }
    return ok;
}

}  // namespace zarq
