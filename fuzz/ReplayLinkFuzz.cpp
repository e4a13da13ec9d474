// libFuzzer target: the replay link decoder turns any text into a recording no larger than the
// limit or a refusal in one sentence, never a crash or a hang; the inflate alone takes the bytes
// as a raw deflate stream, the whole link its address and fragment. What any accepts, and the input
// itself, survive our own deflate.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/record/ReplayLink.h"

namespace {
// Deflating what came back keeps each run short; larger results are checked for their size only.
constexpr std::size_t kRecompressLimit = std::size_t{1} << 20;

void Check(const zarq::LinkResult& result) {
    if (!result.Value) {
        if (result.Error.rfind("The link", 0) != 0 || result.Error.back() != '.') std::abort();
        return;
    }
    if (result.Value->size() > zarq::kLinkRecordingLimit) std::abort();
    if (result.Value->size() > kRecompressLimit) return;
    const zarq::LinkResult again = zarq::DecodeReplayLink(zarq::EncodeReplayLink(*result.Value));
    if (!again.Value || *again.Value != *result.Value) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Check(zarq::DecodeReplayLink(bytes));
    // The same text as a pasted whole link, address and fragment included.
    Check(zarq::RecordingFromLink(bytes));
    Check(zarq::InflateRaw(bytes));
    Check({std::string(bytes), ""});
    return 0;
}
