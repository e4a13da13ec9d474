// libFuzzer target: the recording reader turns any bytes into a recording or a refusal that
// names a line, never a crash or a hang. What it accepts it writes back the same way, and a
// short accepted recording is also replayed on a headless panel, which must come to an end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/record/Verify.h"

namespace {
std::string Written(const zarq::Recording& r) {
    std::string text = zarq::HeaderText(r);
    for (const zarq::Step& s : r.Steps) text += zarq::StepText(s);
    return r.CutShort ? text : text + zarq::EndText(r.End);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const zarq::ReadResult read = zarq::ReadRecording(text);
    if (!read.Value) {
        if (read.Error.rfind("line ", 0) != 0) std::abort();
        return 0;
    }
    // Written back and read again, it is the same recording.
    const std::string once = Written(*read.Value);
    const zarq::ReadResult again = zarq::ReadRecording(once);
    if (!again.Value || Written(*again.Value) != once) std::abort();

    if (read.Value->End.Ticks <= 300 && read.Value->End.Clock <= 60'000) {
        const zarq::Verdict v = zarq::VerifyRecording(*read.Value);
        if (v.Exit == zarq::kVerifyUnreadable) std::abort();
        if (v.Exit == zarq::kVerifyMismatch && v.Message.empty()) std::abort();
    }
    return 0;
}
