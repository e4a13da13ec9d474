// The PostgreSQL side, for several servers on one database: each statement that changes the
// board is one statement, committed when it returns; ranks are counted by the database, so every
// server gives the same. The schema is upgraded under an advisory lock, so that servers started
// together do not upgrade it twice.
#include <libpq-fe.h>

#include <map>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "server/ConnectionPool.h"
#include "server/Store.h"

namespace zarq::scoreboard {

namespace {

constexpr std::string_view kUpgrades[] = {
    // 1: as the SQLite side's first version.
    R"(CREATE TABLE plays(
         id BIGSERIAL PRIMARY KEY,
         name TEXT NOT NULL,
         score BIGINT NOT NULL,
         stages BIGINT NOT NULL,
         speed_level INTEGER NOT NULL,
         length_ms BIGINT NOT NULL,
         played TEXT NOT NULL,
         submitted BIGINT NOT NULL,
         digest TEXT NOT NULL);
       CREATE UNIQUE INDEX plays_digest ON plays(digest);
       CREATE INDEX plays_board ON plays(score DESC, id);
       CREATE INDEX plays_submitted ON plays(submitted);
       CREATE TABLE recordings(
         play_id BIGINT PRIMARY KEY REFERENCES plays(id) ON DELETE CASCADE,
         bytes BYTEA NOT NULL);)",
};
static_assert(std::size(kUpgrades) == kSchemaVersion);

// A lock number of this program's own for the schema's upgrade.
constexpr const char* kUpgradeLock = "SELECT pg_advisory_xact_lock(7271031455)";

constexpr const char* kEntryColumns =
    "id, name, score, stages, speed_level, length_ms, played, submitted";

struct ResultDeleter {
    void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

class Connection {
  public:
    explicit Connection(const std::string& url) {
        const char* keys[] = {"dbname", "connect_timeout", "application_name", nullptr};
        const char* values[] = {url.c_str(), "5", "zarq-scoreboard", nullptr};
        conn_ = PQconnectdbParams(keys, values, 1);
        if (conn_ == nullptr || PQstatus(conn_) != CONNECTION_OK) Throw("cannot connect");
        // The server's notices ("already exists, skipping") are not for the log.
        PQsetNoticeProcessor(
            conn_, [](void*, const char*) {}, nullptr);
    }
    ~Connection() { PQfinish(conn_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    [[noreturn]] void Throw(const std::string& what) const {
        std::string message = conn_ != nullptr ? PQerrorMessage(conn_) : "out of memory";
        while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
            message.pop_back();
        throw StoreUnavailable("PostgreSQL: " + what + ": " + message);
    }

    // Runs `sql`, which may hold several statements, without parameters.
    void Exec(const std::string& sql) {
        const Result r(PQexec(conn_, sql.c_str()));
        const ExecStatusType status = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) Throw("a statement failed");
    }

    // Runs `sql` with text parameters (and, when `binary` is set, the last one as bytes).
    Result Run(const char* sql, const std::vector<std::string>& params = {}, bool binary = false) {
        std::vector<const char*> values;
        std::vector<int> lengths;
        std::vector<int> formats;
        for (const std::string& p : params) {
            values.push_back(p.data());
            lengths.push_back(static_cast<int>(p.size()));
            formats.push_back(0);
        }
        if (binary && !formats.empty()) formats.back() = 1;
        // Each statement is parsed and planned once per connection.
        auto [it, fresh] = prepared_.try_emplace(sql, "zarq" + std::to_string(prepared_.size()));
        if (fresh) {
            const Result made(PQprepare(conn_, it->second.c_str(), sql,
                                        static_cast<int>(params.size()), nullptr));
            if (!made || PQresultStatus(made.get()) != PGRES_COMMAND_OK) {
                prepared_.erase(it);
                Throw("a statement could not be prepared");
            }
        }
        Result r(PQexecPrepared(conn_, it->second.c_str(), static_cast<int>(params.size()),
                                values.data(), lengths.data(), formats.data(), 0));
        const ExecStatusType status = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) Throw("a statement failed");
        return r;
    }

  private:
    PGconn* conn_ = nullptr;
    std::map<std::string, std::string> prepared_;  // SQL: the name it is prepared under
};

std::int64_t Int(const PGresult* r, int row, int column) {
    return std::stoll(PQgetvalue(r, row, column));
}

PlayEntry Row(const PGresult* r, int row) {
    PlayEntry e;
    e.Id = Int(r, row, 0);
    e.Name = PQgetvalue(r, row, 1);
    e.Score = Int(r, row, 2);
    e.Stages = Int(r, row, 3);
    e.SpeedLevel = static_cast<int>(Int(r, row, 4));
    e.Length = Int(r, row, 5);
    e.Played = PQgetvalue(r, row, 6);
    e.Submitted = Int(r, row, 7);
    return e;
}

class PostgresStore : public PlayStore {
    using Lease = ConnectionPool<Connection>::Lease;

  public:
    explicit PostgresStore(std::string url) : pool_(std::move(url)) {
        Lease c(pool_);
        Upgrade(*c);
    }

    Added Add(const NewPlay& play) override {
        Lease c(pool_);
        const PlayEntry& e = play.Entry;
        // One statement: the entry and its recording, both or neither.
        const Result r = c->Run(
            "WITH entry AS (INSERT INTO plays(name, score, stages, speed_level, length_ms, "
            "played, submitted, digest) VALUES($1, $2, $3, $4, $5, $6, $7, $8) "
            "ON CONFLICT (digest) DO NOTHING RETURNING id) "
            "INSERT INTO recordings(play_id, bytes) SELECT id, $9 FROM entry RETURNING play_id",
            {e.Name, std::to_string(e.Score), std::to_string(e.Stages),
             std::to_string(e.SpeedLevel), std::to_string(e.Length), e.Played,
             std::to_string(e.Submitted), play.Digest, play.Recording},
            true);
        const bool inserted = PQntuples(r.get()) == 1;
        auto entry = ByDigest(*c, play.Digest);
        if (!entry) c->Throw("an entry could not be read back");
        return {*entry, !inserted};
    }

    std::optional<PlayEntry> FindByDigest(const std::string& digest) override {
        Lease c(pool_);
        return ByDigest(*c, digest);
    }

    std::optional<PlayEntry> Find(std::int64_t id) override {
        Lease c(pool_);
        const Result r =
            c->Run((std::string("SELECT ") + kEntryColumns + " FROM plays WHERE id = $1").c_str(),
                   {std::to_string(id)});
        if (PQntuples(r.get()) == 0) return std::nullopt;
        PlayEntry e = Row(r.get(), 0);
        e.Rank = RankOf(*c, e);
        return e;
    }

    std::optional<std::string> Recording(std::int64_t id) override {
        Lease c(pool_);
        // A text result: bytea in its hex form, which libpq unescapes.
        std::size_t size = 0;
        const Result raw =
            c->Run("SELECT bytes FROM recordings WHERE play_id = $1", {std::to_string(id)});
        if (PQntuples(raw.get()) == 0) return std::nullopt;
        unsigned char* bytes = PQunescapeBytea(
            reinterpret_cast<const unsigned char*>(PQgetvalue(raw.get(), 0, 0)), &size);
        if (bytes == nullptr) c->Throw("a recording could not be read");
        std::string text(reinterpret_cast<const char*>(bytes), size);
        PQfreemem(bytes);
        return text;
    }

    BoardPage Board(std::int64_t since, std::int64_t offset, int limit) override {
        Lease c(pool_);
        const std::string select = std::string("SELECT ") + kEntryColumns + " FROM plays ";
        const Result r =
            since <= 0 ? c->Run((select + "ORDER BY score DESC, id LIMIT $1 OFFSET $2").c_str(),
                                {std::to_string(limit + 1), std::to_string(offset)})
                       : c->Run((select + "WHERE submitted >= $3 ORDER BY score DESC, id "
                                          "LIMIT $1 OFFSET $2")
                                    .c_str(),
                                {std::to_string(limit + 1), std::to_string(offset),
                                 std::to_string(since)});
        BoardPage page;
        const int rows = PQntuples(r.get());
        for (int i = 0; i < rows && i < limit; ++i) {
            page.Entries.push_back(Row(r.get(), i));
            page.Entries.back().Rank = offset + i + 1;
        }
        page.More = rows > limit;
        return page;
    }

    bool Remove(std::int64_t id) override {
        Lease c(pool_);
        const Result r =
            c->Run("DELETE FROM plays WHERE id = $1 RETURNING id", {std::to_string(id)});
        return PQntuples(r.get()) > 0;
    }

    void Ping() override {
        Lease c(pool_);
        c->Run("SELECT version FROM schema_version");
    }

  private:
    static void Upgrade(Connection& c) {
        // A failure closes the connection (see Lease), which rolls the transaction back.
        c.Run("BEGIN");
        {
            c.Run(kUpgradeLock);
            c.Run("CREATE TABLE IF NOT EXISTS schema_version(version INTEGER NOT NULL)");
            const Result r = c.Run("SELECT version FROM schema_version");
            const int version = PQntuples(r.get()) > 0 ? static_cast<int>(Int(r.get(), 0, 0)) : 0;
            RefuseNewerSchema(version);
            for (int next = version + 1; next <= kSchemaVersion; ++next) {
                c.Exec(std::string(kUpgrades[next - 1]));
            }
            if (version != kSchemaVersion) {
                c.Run("DELETE FROM schema_version");
                c.Run("INSERT INTO schema_version(version) VALUES($1)",
                      {std::to_string(kSchemaVersion)});
            }
            c.Run("COMMIT");
        }
    }

    static std::int64_t RankOf(Connection& c, const PlayEntry& e) {
        const Result r = c.Run(
            "SELECT (SELECT COUNT(*) FROM plays WHERE score > $1) + "
            "(SELECT COUNT(*) FROM plays WHERE score = $1 AND id < $2)",
            {std::to_string(e.Score), std::to_string(e.Id)});
        return Int(r.get(), 0, 0) + 1;
    }

    static std::optional<PlayEntry> ByDigest(Connection& c, const std::string& digest) {
        const Result r = c.Run(
            (std::string("SELECT ") + kEntryColumns + " FROM plays WHERE digest = $1").c_str(),
            {digest});
        if (PQntuples(r.get()) == 0) return std::nullopt;
        PlayEntry e = Row(r.get(), 0);
        e.Rank = RankOf(c, e);
        return e;
    }

    ConnectionPool<Connection> pool_;
};

}  // namespace

std::unique_ptr<PlayStore> OpenPostgresStore(const std::string& url) {
    return std::make_unique<PostgresStore>(url);
}

}  // namespace zarq::scoreboard
