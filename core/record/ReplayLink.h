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

// A whole link: the web edition's page address, then "#play=" and the data. The fragment never
// reaches a server, so any host of the page plays it.
inline constexpr std::string_view kLinkMarker = "#play=";
// Longer links than this are not offered for copying: chat programs and address bars cut them.
inline constexpr std::size_t kLinkLengthLimit = 32 * 1024;
std::string ReplayLinkAddress(std::string_view page, std::string_view recording);
// Whether `text` is a replay link rather than a file name.
bool IsReplayLink(std::string_view text);
// The recording a link carries, or why it carries none.
LinkResult RecordingFromLink(std::string_view link);

// The two layers on their own.
std::string DeflateRaw(std::string_view bytes);
LinkResult InflateRaw(std::string_view stream, std::size_t limit = kLinkRecordingLimit);
std::string Base64UrlEncode(std::string_view bytes);
LinkResult Base64UrlDecode(std::string_view text);

}  // namespace zarq
