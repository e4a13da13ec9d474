// The web edition's site, read into memory when the server starts: every file with its type,
// its validators and, where it pays, a gzip copy made once.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace zarq::scoreboard {

struct SiteFile {
    std::string Bytes;
    std::string Gzip;  // empty when the file does not shrink or is compressed already
    std::string Type;
    std::string ETag;  // of the bytes; the gzip copy's is the same with "-gzip" before its quote
    std::string LastModified;
    // A name that changes with the content ("toy.3f9a61c2.js"): cached for a year.
    bool Immutable = false;
};

class Site {
  public:
    // Reads every regular file under `folder`; false with `error` set when it cannot.
    bool Load(const std::string& folder, std::string& error);
    // The file for a request's path ("/" and "/x/" are their index.html); null when none.
    const SiteFile* Find(std::string_view path) const;
    std::size_t Size() const { return files_.size(); }

  private:
    std::map<std::string, SiteFile, std::less<>> files_;  // by path from the folder, "/index.html"
};

// A time as HTTP dates are written ("Tue, 08 Dec 2026 09:00:00 GMT"), and back (-1 when not one).
// A time (Unix seconds) as `strftime` writes it in UTC.
std::string UtcText(long long seconds, const char* format);
inline std::string HttpDate(long long seconds) {
    return UtcText(seconds, "%a, %d %b %Y %H:%M:%S GMT");
}
inline std::string IsoTime(long long seconds) {
    return UtcText(seconds, "%Y-%m-%dT%H:%M:%SZ");
}
long long ParseHttpDate(std::string_view text);

}  // namespace zarq::scoreboard
