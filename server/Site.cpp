// The site's files in memory.
#include "server/Site.h"

#include <sys/stat.h>
#include <zlib.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "server/Submission.h"

namespace zarq::scoreboard {

namespace {

struct Kind {
    std::string_view Extension;
    std::string_view Type;
    bool Compress;
};

constexpr Kind kKinds[] = {
    {".html", "text/html; charset=utf-8", true},
    {".js", "text/javascript; charset=utf-8", true},
    {".mjs", "text/javascript; charset=utf-8", true},
    {".css", "text/css; charset=utf-8", true},
    {".json", "application/json", true},
    {".webmanifest", "application/manifest+json", true},
    {".wasm", "application/wasm", true},
    {".svg", "image/svg+xml", true},
    {".txt", "text/plain; charset=utf-8", true},
    {".md", "text/markdown; charset=utf-8", true},
    {".wav", "audio/wav", true},
    {".png", "image/png", false},
    {".jpg", "image/jpeg", false},
    {".webp", "image/webp", false},
    {".ico", "image/x-icon", true},
    {".ogg", "audio/ogg", false},
    {".pdf", "application/pdf", false},
    {".woff2", "font/woff2", false},
};

std::string Gzip(const std::string& bytes) {
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) != Z_OK) return {};
    std::string out(deflateBound(&z, bytes.size()) + 32, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return rc == Z_STREAM_END ? out : std::string();
}

// A name with a content hash in it: eight or more hex digits between dots or after a dash.
bool NamedByContent(std::string_view name) {
    std::size_t run = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')) {
            ++run;
            continue;
        }
        if (c == '.' && run >= 8 && i >= run + 1 &&
            (name[i - run - 1] == '.' || name[i - run - 1] == '-'))
            return true;
        run = 0;
    }
    return false;
}

}  // namespace

std::string UtcText(long long seconds, const char* format) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[64];
    std::strftime(text, sizeof text, format, &tm);
    return text;
}

long long ParseHttpDate(std::string_view text) {
    std::tm tm{};
    const std::string copy(text);
    const char* end = strptime(copy.c_str(), "%a, %d %b %Y %H:%M:%S GMT", &tm);
    if (end == nullptr || *end != '\0') return -1;
    return static_cast<long long>(timegm(&tm));
}

bool Site::Load(const std::string& folder, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        error = "the site folder " + folder + " is not a folder";
        return false;
    }
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        std::ifstream in(it->path(), std::ios::binary);
        SiteFile file;
        file.Bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof()) {
            error = "cannot read " + it->path().string();
            return false;
        }
        const std::string name = it->path().filename().string();
        file.Type = "application/octet-stream";
        bool compress = false;
        for (const Kind& k : kKinds) {
            if (name.size() > k.Extension.size() &&
                name.compare(name.size() - k.Extension.size(), k.Extension.size(), k.Extension) ==
                    0) {
                file.Type = k.Type;
                compress = k.Compress;
            }
        }
        if (compress && file.Bytes.size() > 256) {
            std::string gz = Gzip(file.Bytes);
            if (!gz.empty() && gz.size() + 64 < file.Bytes.size()) file.Gzip = std::move(gz);
        }
        file.ETag = "\"" + Digest(file.Bytes).substr(0, 20) + "\"";
        struct stat st {};
        if (::stat(it->path().c_str(), &st) == 0) file.LastModified = HttpDate(st.st_mtime);
        file.Immutable = NamedByContent(name);
        files_["/" + fs::relative(it->path(), folder).generic_string()] = std::move(file);
    }
    if (ec) {
        error = "cannot read the site folder " + folder + ": " + ec.message();
        return false;
    }
    return true;
}

const SiteFile* Site::Find(std::string_view path) const {
    std::string key(path);
    if (key.empty() || key.back() == '/') key += "index.html";
    const auto it = files_.find(key);
    return it == files_.end() ? nullptr : &it->second;
}

}  // namespace zarq::scoreboard
