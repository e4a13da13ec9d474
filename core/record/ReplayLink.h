// The data part of a replay link: a recording's bytes as a raw deflate stream in base64url
// without padding, which a browser's CompressionStream("deflate-raw") and zlib read and write
// as well. Our own deflate and inflate, so that the core needs no library on any target.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zarq {

// A link never inflates past this, whatever its stream claims.
inline constexpr std::size_t kLinkRecordingLimit = std::size_t{32} << 20;

struct LinkResult {
    std::optional<std::string> Value;
    std::string Error;  // one sentence, when there is no value
};

std::string EncodeReplayLink(std::string_view recording);
LinkResult DecodeReplayLink(std::string_view data);

// The two layers on their own.
std::string DeflateRaw(std::string_view bytes);
LinkResult InflateRaw(std::string_view stream, std::size_t limit = kLinkRecordingLimit);
std::string Base64UrlEncode(std::string_view bytes);
LinkResult Base64UrlDecode(std::string_view text);

}  // namespace zarq
