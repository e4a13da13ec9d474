// The choice of side by the database's address.
#include "server/Store.h"

namespace zarq::scoreboard {

void RefuseNewerSchema(int version) {
    if (version > kSchemaVersion) {
        throw std::runtime_error("the database has schema version " + std::to_string(version) +
                                 ", newer than this program's " + std::to_string(kSchemaVersion));
    }
}

std::unique_ptr<PlayStore> OpenStore(const std::string& url) {
    if (url.rfind("sqlite:", 0) == 0) {
        std::string path = url.substr(7);
        if (path.rfind("//", 0) == 0) path = path.substr(2);  // sqlite:///var/lib/x → /var/lib/x
        if (path.empty()) throw std::runtime_error("the SQLite address names no file");
        return OpenSqliteStore(path);
    }
    if (url.rfind("postgresql://", 0) == 0 || url.rfind("postgres://", 0) == 0) {
        return OpenPostgresStore(url);
    }
    throw std::runtime_error("the database address must begin with sqlite: or postgresql://");
}

}  // namespace zarq::scoreboard
