// The SQLite side: one file in WAL mode, every commit synced (synchronous=FULL) so that an entry
// whose 201 went out survives a crash of the program and a power cut alike. Connections are
// pooled, one per thread at a time; writers wait for each other through SQLite's busy timeout.
#include <sqlite3.h>

#include <mutex>
#include <string_view>
#include <unordered_map>

#include "server/ConnectionPool.h"
#include "server/Store.h"

namespace zarq::scoreboard {

namespace {

// The schema's steps, each taking the one before it to the next version.
constexpr std::string_view kUpgrades[] = {
    // 1: the entries, their recordings as sent, the board's order and the digest that finds a
    // recording sent again. AUTOINCREMENT: a removed entry's number is never given again, so an
    // old link never shows another play.
    R"(CREATE TABLE plays(
         id INTEGER PRIMARY KEY AUTOINCREMENT,
         name TEXT NOT NULL,
         score INTEGER NOT NULL,
         stages INTEGER NOT NULL,
         speed_level INTEGER NOT NULL,
         length_ms INTEGER NOT NULL,
         played TEXT NOT NULL,
         submitted INTEGER NOT NULL,
         digest TEXT NOT NULL);
       CREATE UNIQUE INDEX plays_digest ON plays(digest);
       CREATE INDEX plays_board ON plays(score DESC, id);
       CREATE INDEX plays_submitted ON plays(submitted);
       CREATE TABLE recordings(
         play_id INTEGER PRIMARY KEY,
         bytes BLOB NOT NULL);)",
};
static_assert(std::size(kUpgrades) == kSchemaVersion);

// A prepared statement in use: reset when the use ends, so that no read stays open in the pool.
class Stmt {
  public:
    explicit Stmt(sqlite3_stmt* stmt) : stmt_(stmt) {}
    ~Stmt() { sqlite3_reset(stmt_); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    operator sqlite3_stmt*() const { return stmt_; }

  private:
    sqlite3_stmt* stmt_;
};

class Connection {
  public:
    explicit Connection(const std::string& path) {
        const int rc = sqlite3_open_v2(
            path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
            nullptr);
        if (rc != SQLITE_OK) Throw("cannot open " + path);
        sqlite3_extended_result_codes(db_, 1);
        sqlite3_busy_timeout(db_, 5000);
        Exec("PRAGMA journal_mode=WAL");
        Exec("PRAGMA synchronous=FULL");
    }
    ~Connection() {
        for (auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
        sqlite3_close_v2(db_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    [[noreturn]] void Throw(const std::string& what) const {
        throw StoreUnavailable("SQLite: " + what + ": " +
                               (db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory"));
    }

    void Exec(const char* sql) {
        char* message = nullptr;
        if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string text = message != nullptr ? message : "unknown error";
            sqlite3_free(message);
            throw StoreUnavailable("SQLite: " + text);
        }
    }

    // A prepared statement, kept for the next call, reset and with its bindings cleared.
    sqlite3_stmt* Prepare(const char* sql) {
        sqlite3_stmt*& stmt = statements_[sql];
        if (stmt == nullptr) {
            if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) !=
                SQLITE_OK) {
                stmt = nullptr;
                Throw("cannot prepare a statement");
            }
        } else {
            sqlite3_clear_bindings(stmt);
        }
        return stmt;
    }

    // Runs `stmt` to its first row (true) or its end (false).
    bool Step(sqlite3_stmt* stmt) {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        Throw("a statement failed");
    }

    sqlite3* Handle() const { return db_; }

  private:
    sqlite3* db_ = nullptr;
    std::unordered_map<const char*, sqlite3_stmt*> statements_;
};

// A transaction rolled back unless committed.
class Transaction {
  public:
    explicit Transaction(Connection& c) : c_(c) { c_.Exec("BEGIN IMMEDIATE"); }
    ~Transaction() {
        if (!done_) sqlite3_exec(c_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
    void Commit() {
        c_.Exec("COMMIT");
        done_ = true;
    }

  private:
    Connection& c_;
    bool done_ = false;
};

PlayEntry Row(sqlite3_stmt* stmt) {
    PlayEntry e;
    e.Id = sqlite3_column_int64(stmt, 0);
    e.Name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
    e.Score = sqlite3_column_int64(stmt, 2);
    e.Stages = sqlite3_column_int64(stmt, 3);
    e.SpeedLevel = sqlite3_column_int(stmt, 4);
    e.Length = sqlite3_column_int64(stmt, 5);
    e.Played = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 6));
    e.Submitted = sqlite3_column_int64(stmt, 7);
    return e;
}

void BindText(sqlite3_stmt* stmt, int at, const std::string& text) {
    sqlite3_bind_text(stmt, at, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

class SqliteStore : public PlayStore {
    using Lease = ConnectionPool<Connection>::Lease;

  public:
    explicit SqliteStore(std::string path) : pool_(std::move(path)) {
        Lease c(pool_);
        Upgrade(*c);
    }

    Added Add(const NewPlay& play) override {
        Lease c(pool_);
        {
            Transaction t(*c);
            bool inserted = false;
            {
                Stmt insert(c->Prepare(
                    "INSERT INTO plays(name, score, stages, speed_level, length_ms, played, "
                    "submitted, digest) VALUES(?, ?, ?, ?, ?, ?, ?, ?) "
                    "ON CONFLICT(digest) DO NOTHING"));
                const PlayEntry& e = play.Entry;
                BindText(insert, 1, e.Name);
                sqlite3_bind_int64(insert, 2, e.Score);
                sqlite3_bind_int64(insert, 3, e.Stages);
                sqlite3_bind_int(insert, 4, e.SpeedLevel);
                sqlite3_bind_int64(insert, 5, e.Length);
                BindText(insert, 6, e.Played);
                sqlite3_bind_int64(insert, 7, e.Submitted);
                BindText(insert, 8, play.Digest);
                c->Step(insert);
                inserted = sqlite3_changes(c->Handle()) > 0;
            }
            if (!inserted) {
                t.Commit();
                auto existing = ByDigest(*c, play.Digest);
                if (!existing) c->Throw("an entry vanished while it was sent again");
                return {*existing, true};
            }
            {
                Stmt bytes(c->Prepare("INSERT INTO recordings(play_id, bytes) VALUES(?, ?)"));
                sqlite3_bind_int64(bytes, 1, sqlite3_last_insert_rowid(c->Handle()));
                sqlite3_bind_blob64(bytes, 2, play.Recording.data(), play.Recording.size(),
                                    SQLITE_STATIC);
                c->Step(bytes);
            }
            t.Commit();
        }
        auto added = ByDigest(*c, play.Digest);
        if (!added) c->Throw("a new entry could not be read back");
        return {*added, false};
    }

    std::optional<PlayEntry> FindByDigest(const std::string& digest) override {
        Lease c(pool_);
        return ByDigest(*c, digest);
    }

    std::optional<PlayEntry> Find(std::int64_t id) override {
        Lease c(pool_);
        Stmt s(
            c->Prepare("SELECT id, name, score, stages, speed_level, length_ms, played, submitted "
                       "FROM plays WHERE id = ?"));
        sqlite3_bind_int64(s, 1, id);
        if (!c->Step(s)) return std::nullopt;
        PlayEntry e = Row(s);
        e.Rank = RankOf(*c, e);
        return e;
    }

    std::optional<std::string> Recording(std::int64_t id) override {
        Lease c(pool_);
        Stmt s(c->Prepare("SELECT bytes FROM recordings WHERE play_id = ?"));
        sqlite3_bind_int64(s, 1, id);
        if (!c->Step(s)) return std::nullopt;
        const auto* data = static_cast<const char*>(sqlite3_column_blob(s, 0));
        return std::string(data != nullptr ? data : "",
                           static_cast<std::size_t>(sqlite3_column_bytes(s, 0)));
    }

    BoardPage Board(std::int64_t since, std::int64_t offset, int limit) override {
        Lease c(pool_);
        Stmt s(since <= 0
                   ? c->Prepare("SELECT id, name, score, stages, speed_level, length_ms, played, "
                                "submitted FROM plays ORDER BY score DESC, id LIMIT ? OFFSET ?")
                   : c->Prepare("SELECT id, name, score, stages, speed_level, length_ms, played, "
                                "submitted FROM plays WHERE submitted >= ? "
                                "ORDER BY score DESC, id LIMIT ? OFFSET ?"));
        int at = 1;
        if (since > 0) sqlite3_bind_int64(s, at++, since);
        sqlite3_bind_int64(s, at++, limit + 1);
        sqlite3_bind_int64(s, at, offset);
        BoardPage page;
        while (c->Step(s)) {
            if (static_cast<int>(page.Entries.size()) == limit) {
                page.More = true;
                break;
            }
            page.Entries.push_back(Row(s));
            page.Entries.back().Rank = offset + static_cast<std::int64_t>(page.Entries.size());
        }
        return page;
    }

    bool Remove(std::int64_t id) override {
        Lease c(pool_);
        Transaction t(*c);
        {
            Stmt bytes(c->Prepare("DELETE FROM recordings WHERE play_id = ?"));
            sqlite3_bind_int64(bytes, 1, id);
            c->Step(bytes);
        }
        bool removed = false;
        {
            Stmt play(c->Prepare("DELETE FROM plays WHERE id = ?"));
            sqlite3_bind_int64(play, 1, id);
            c->Step(play);
            removed = sqlite3_changes(c->Handle()) > 0;
        }
        t.Commit();
        return removed;
    }

    void Ping() override {
        Lease c(pool_);
        Stmt s(c->Prepare("SELECT version FROM schema_version"));
        c->Step(s);
    }

  private:
    static void Upgrade(Connection& c) {
        Transaction t(c);
        c.Exec("CREATE TABLE IF NOT EXISTS schema_version(version INTEGER NOT NULL)");
        int version = 0;
        {
            Stmt s(c.Prepare("SELECT version FROM schema_version"));
            if (c.Step(s)) version = sqlite3_column_int(s, 0);
        }
        RefuseNewerSchema(version);
        if (version == kSchemaVersion) return;
        for (int next = version + 1; next <= kSchemaVersion; ++next) {
            c.Exec(std::string(kUpgrades[next - 1]).c_str());
        }
        c.Exec("DELETE FROM schema_version");
        c.Exec(
            ("INSERT INTO schema_version(version) VALUES(" + std::to_string(kSchemaVersion) + ")")
                .c_str());
        t.Commit();
    }

    static std::int64_t RankOf(Connection& c, const PlayEntry& e) {
        Stmt s(
            c.Prepare("SELECT (SELECT COUNT(*) FROM plays WHERE score > ?1) + "
                      "(SELECT COUNT(*) FROM plays WHERE score = ?1 AND id < ?2)"));
        sqlite3_bind_int64(s, 1, e.Score);
        sqlite3_bind_int64(s, 2, e.Id);
        c.Step(s);
        return sqlite3_column_int64(s, 0) + 1;
    }

    static std::optional<PlayEntry> ByDigest(Connection& c, const std::string& digest) {
        Stmt s(
            c.Prepare("SELECT id, name, score, stages, speed_level, length_ms, played, submitted "
                      "FROM plays WHERE digest = ?"));
        BindText(s, 1, digest);
        if (!c.Step(s)) return std::nullopt;
        PlayEntry e = Row(s);
        e.Rank = RankOf(c, e);
        return e;
    }

    ConnectionPool<Connection> pool_;
};

}  // namespace

std::unique_ptr<PlayStore> OpenSqliteStore(const std::string& path) {
    return std::make_unique<SqliteStore>(path);
}

}  // namespace zarq::scoreboard
