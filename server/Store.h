// Where the board keeps its entries: one interface, with a SQLite side (one file, the default)
// and a PostgreSQL side (several servers on one database). Every method may be called from any
// thread; a side that cannot reach its database throws StoreUnavailable, and the next call tries
// again, so that the server answers 503 meanwhile and comes back by itself.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zarq::scoreboard {

struct PlayEntry {
    std::int64_t Id = 0;
    std::string Name;
    std::int64_t Score = 0;
    std::int64_t Stages = 0;
    int SpeedLevel = 0;
    std::int64_t Length = 0;     // ms
    std::string Played;          // when the play began, as its recording says
    std::int64_t Submitted = 0;  // when the board took it (Unix seconds, the server's clock)
    std::int64_t Rank = 0;       // on the all-time board: 1 + the entries before it
};

// An entry to add, checked: its recording as sent and the recording's SHA-256 (hex).
struct NewPlay {
    PlayEntry Entry;
    std::string Digest;
    std::string Recording;
};

struct Added {
    PlayEntry Entry;
    bool Existed = false;  // the same recording was there already: this is that entry
};

struct BoardPage {
    std::vector<PlayEntry> Entries;  // Rank: the place on the board asked for
    bool More = false;
};

class StoreUnavailable : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The schema this program writes; an older one is upgraded when the store opens.
inline constexpr int kSchemaVersion = 1;
// Throws std::runtime_error, in one sentence, for a schema newer than this program's.
void RefuseNewerSchema(int version);

class PlayStore {
  public:
    virtual ~PlayStore() = default;
    // Higher scores first; of equal scores the one the board took first.
    virtual Added Add(const NewPlay& play) = 0;
    virtual std::optional<PlayEntry> FindByDigest(const std::string& digest) = 0;
    virtual std::optional<PlayEntry> Find(std::int64_t id) = 0;
    virtual std::optional<std::string> Recording(std::int64_t id) = 0;
    // The board of every entry taken at `since` (Unix seconds) or later, from place `offset`.
    virtual BoardPage Board(std::int64_t since, std::int64_t offset, int limit) = 0;
    virtual bool Remove(std::int64_t id) = 0;
    // Throws StoreUnavailable when the database cannot be reached.
    virtual void Ping() = 0;
};

// "sqlite:PATH" or "postgresql://..." (also "postgres://..."); throws std::runtime_error with
// one sentence when the database cannot be opened or its schema is newer than this program's.
std::unique_ptr<PlayStore> OpenStore(const std::string& url);

std::unique_ptr<PlayStore> OpenSqliteStore(const std::string& path);
std::unique_ptr<PlayStore> OpenPostgresStore(const std::string& url);

}  // namespace zarq::scoreboard
