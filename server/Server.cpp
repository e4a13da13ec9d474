// The HTTP side: connections, routes, limits, the log, the counters and the orderly stop.
#include "server/Server.h"

#include <sys/resource.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <unordered_map>
#include <utility>  // before Asio 1.74, which uses std::exchange without including it
#include <utility>

#include "core/record/Recording.h"
#include "core/record/ReplayLink.h"
#include "server/Beast.h"
#include "server/Json.h"
#include "server/Names.h"
#include "server/Site.h"

namespace zarq::scoreboard {

namespace {

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;
using tcp = net::ip::tcp;
using Clock = std::chrono::steady_clock;

// A page from this server may run its own scripts and wasm, nothing from elsewhere, and may not
// be framed; no answer says another origin may read it.
constexpr std::string_view kSecurityPolicy =
    "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; "
    "img-src 'self' data: blob:; media-src 'self' blob:; connect-src 'self'; "
    "worker-src 'self'; manifest-src 'self'; object-src 'none'; base-uri 'none'; "
    "form-action 'self'; frame-ancestors 'none'";

constexpr int kPageLargest = 100;

std::int64_t Now() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Monday 00:00 UTC of the week that holds `seconds`.
std::int64_t WeekStart(std::int64_t seconds) {
    const std::int64_t day = seconds / 86400;
    return (day - (day + 3) % 7) * 86400;  // 1 January 1970 was a Thursday
}

std::string EntryJson(const PlayEntry& e) {
    const std::string id = std::to_string(e.Id);
    return Json()
        .Add("id", e.Id)
        .Add("rank", e.Rank)
        .Add("name", e.Name)
        .Add("score", e.Score)
        .Add("stages", e.Stages)
        .Add("speed_level", e.SpeedLevel)
        .Add("length_ms", e.Length)
        .Add("played", e.Played)
        .Add("submitted", IsoTime(e.Submitted))
        .Add("link", "/p/" + id)
        .Add("recording", "/api/plays/" + id + "/recording")
        .Text();
}

std::string Milliseconds(double ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2fms", ms);
    return text;
}

std::string ErrorJson(std::string_view message) {
    return Json().Add("error", message).Text();
}

// A number from a path or query: digits only, no sign, at most 18 of them.
std::optional<std::int64_t> Number(std::string_view text) {
    if (text.empty() || text.size() > 18) return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Request counts by route and status, and the check times, in Prometheus' text format.
class Metrics {
  public:
    static constexpr std::array<double, 12> kBounds{0.001, 0.0025, 0.005, 0.01, 0.025, 0.05,
                                                    0.1,   0.25,   0.5,   1.0,  2.5,   5.0};
    void Count(std::string_view route, unsigned status) {
        std::lock_guard lock(mutex_);
        ++requests_[{std::string(route), status}];
    }
    void CheckTime(double seconds, bool accepted) {
        std::lock_guard lock(mutex_);
        for (std::size_t i = 0; i < kBounds.size(); ++i) {
            if (seconds <= kBounds[i]) ++buckets_[i];
        }
        ++checks_;
        sum_ += seconds;
        ++(accepted ? accepted_ : refused_);
    }
    std::atomic<long> Connections{0};

    std::string Text() {
        std::lock_guard lock(mutex_);
        std::string t =
            "# HELP zarq_requests_total Requests answered, by route and status.\n"
            "# TYPE zarq_requests_total counter\n";
        for (const auto& [key, count] : requests_) {
            t += "zarq_requests_total{route=\"" + key.first + "\",status=\"" +
                 std::to_string(key.second) + "\"} " + std::to_string(count) + "\n";
        }
        t += "# HELP zarq_check_seconds Time a replay of a submitted play took.\n"
             "# TYPE zarq_check_seconds histogram\n";
        for (std::size_t i = 0; i < kBounds.size(); ++i) {
            char bound[32];
            std::snprintf(bound, sizeof bound, "%g", kBounds[i]);
            t += "zarq_check_seconds_bucket{le=\"" + std::string(bound) + "\"} " +
                 std::to_string(buckets_[i]) + "\n";
        }
        char sum[64];
        std::snprintf(sum, sizeof sum, "%.6f", sum_);
        t += "zarq_check_seconds_bucket{le=\"+Inf\"} " + std::to_string(checks_) + "\n" +
             "zarq_check_seconds_sum " + sum + "\nzarq_check_seconds_count " +
             std::to_string(checks_) + "\n";
        t += "# HELP zarq_checks_total Replayed submissions, by verdict.\n"
             "# TYPE zarq_checks_total counter\n"
             "zarq_checks_total{verdict=\"accepted\"} " +
             std::to_string(accepted_) + "\nzarq_checks_total{verdict=\"refused\"} " +
             std::to_string(refused_) + "\n";
        t += "# HELP zarq_connections Connections open.\n# TYPE zarq_connections gauge\n"
             "zarq_connections " +
             std::to_string(Connections.load()) + "\n";
        return t;
    }

  private:
    std::mutex mutex_;
    std::map<std::pair<std::string, unsigned>, std::uint64_t> requests_;
    std::array<std::uint64_t, kBounds.size()> buckets_{};
    std::uint64_t checks_ = 0;
    std::uint64_t accepted_ = 0;
    std::uint64_t refused_ = 0;
    double sum_ = 0;
};

// Submissions by address: a bucket of `burst` that refills over `window`.
class RateLimiter {
  public:
    RateLimiter(double burst, std::chrono::seconds window)
        : burst_(burst), perSecond_(burst / static_cast<double>(window.count())) {}
    // 0 when the address may submit now (and then its turn is taken), otherwise the seconds
    // until it may.
    long Take(const std::string& address) {
        std::lock_guard lock(mutex_);
        const Clock::time_point now = Clock::now();
        if (buckets_.size() > 100'000) Forget(now);
        auto [it, fresh] = buckets_.try_emplace(address, Bucket{burst_, now});
        Bucket& b = it->second;
        if (!fresh) {
            b.Tokens = std::min(burst_, b.Tokens + Seconds(now - b.Last) * perSecond_);
            b.Last = now;
        }
        if (b.Tokens >= 1) {
            b.Tokens -= 1;
            return 0;
        }
        return static_cast<long>((1 - b.Tokens) / perSecond_) + 1;
    }

  private:
    struct Bucket {
        double Tokens;
        Clock::time_point Last;
    };
    static double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
    // Drops the buckets that have filled up again: they hold nothing an absent one would not.
    void Forget(Clock::time_point now) {
        std::erase_if(buckets_, [&](const auto& kv) {
            return kv.second.Tokens + Seconds(now - kv.second.Last) * perSecond_ >= burst_;
        });
    }
    std::mutex mutex_;
    double burst_;
    double perSecond_;
    std::unordered_map<std::string, Bucket> buckets_;
};

// An answer as a route makes it; the session adds the headers every answer has.
struct Answer {
    http::status Status = http::status::ok;
    std::string Route = "other";
    std::string Type = "application/json";
    std::string Body;
    const std::string* Shared = nullptr;  // a site file's bytes, kept by the server
    std::vector<std::pair<http::field, std::string>> Fields;
    bool Close = false;

    static Answer Error(http::status status, std::string route, std::string_view message) {
        Answer a;
        a.Status = status;
        a.Route = std::move(route);
        a.Body = ErrorJson(message);
        return a;
    }
    // The same, closing the connection after it: what is left unread of the request cannot be
    // told from the next one.
    static Answer Closing(http::status status, std::string route, std::string_view message) {
        Answer a = Error(status, std::move(route), message);
        a.Close = true;
        return a;
    }
};

Answer TooLarge() {
    return Answer::Closing(http::status::payload_too_large, "submit",
                           "The recording is larger than the 256 KiB a play may have here.");
}

class Server;

class Session : public std::enable_shared_from_this<Session> {
  public:
    Session(tcp::socket&& socket, Server& server);
    ~Session();
    void Start();
    // On SIGTERM: a connection waiting for its next request is closed, one under way finishes.
    void Drain();

  private:
    void ReadHeader();
    void OnHeader(beast::error_code ec, std::size_t);
    void ReadBody();
    void OnBody(beast::error_code ec, std::size_t);
    void Handle();
    void Submit();
    // Runs `job` on a worker; its answer is sent from this connection's own thread.
    void OnWorker(std::function<Answer()> job);
    void Send(Answer answer);
    void OnWritten(bool close, beast::error_code ec, std::size_t);
    // After an answer given before the request was read to its end: the rest is read and
    // dropped for a while before the connection closes, so that the client sees the answer
    // rather than a reset.
    void Linger();
    void Close();
    void Log(unsigned status, std::size_t bytes);

    beast::tcp_stream stream_;
    Server& server_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    http::response<http::buffer_body> response_;
    std::string body_;
    std::string address_;
    std::string name_;
    Clock::time_point started_;
    bool busy_ = false;
    bool closed_ = false;
    bool unread_ = false;  // the request was answered before its end was read
    std::unique_ptr<std::array<char, 16384>> dropped_;
    std::size_t droppedBytes_ = 0;
};

class Server {
  public:
    Server(const ServerOptions& options, PlayStore& store)
        : options_(options),
          store_(store),
          workers_(options.Workers != 0 ? options.Workers
                                        : std::max(2u, std::thread::hardware_concurrency())),
          acceptor_(io_),
          signals_(io_, SIGTERM, SIGINT),
          drainTimer_(io_),
          retryTimer_(io_),
          limiter_(options.SubmitBurst, options.SubmitWindow) {}

    int Run() {
        if (!options_.Site.empty()) {
            std::string error;
            if (!site_.Load(options_.Site, error)) {
                std::fprintf(stderr, "zarq-scoreboard: %s\n", error.c_str());
                return 1;
            }
        }
        beast::error_code ec;
        const auto address = net::ip::make_address(options_.Address, ec);
        if (ec) {
            std::fprintf(stderr, "zarq-scoreboard: %s is not an IP address\n",
                         options_.Address.c_str());
            return 2;
        }
        const tcp::endpoint endpoint(address, options_.Port);
        acceptor_.open(endpoint.protocol(), ec);
        if (!ec) acceptor_.set_option(net::socket_base::reuse_address(true), ec);
        if (!ec) acceptor_.bind(endpoint, ec);
        if (!ec) acceptor_.listen(net::socket_base::max_listen_connections, ec);
        if (ec) {
            std::fprintf(stderr, "zarq-scoreboard: cannot listen on %s:%u: %s\n",
                         options_.Address.c_str(), options_.Port, ec.message().c_str());
            return 1;
        }
        const tcp::endpoint bound = acceptor_.local_endpoint();
        std::fprintf(stderr, "zarq-scoreboard listening on %s:%u (database %s, site %s)\n",
                     bound.address().to_string().c_str(), bound.port(), options_.Database.c_str(),
                     options_.Site.empty() ? "none: the API alone" : options_.Site.c_str());
        signals_.async_wait([this](beast::error_code e, int signal) {
            if (!e) Stop(signal);
        });
        Accept();
        io_.run();
        if (open_.load() > 0) {
            // The drain time ran out: what is stored is committed, what was under way is
            // dropped with the process, as it would be by a crash.
            std::fprintf(stderr, "zarq-scoreboard stopped\n");
            std::fflush(stderr);
            std::_Exit(0);
        }
        workers_.join();
        std::fprintf(stderr, "zarq-scoreboard stopped\n");
        return 0;
    }

    const ServerOptions& Options() const { return options_; }
    PlayStore& Store() { return store_; }
    const Site& Files() const { return site_; }
    Metrics& Counters() { return metrics_; }
    RateLimiter& Limiter() { return limiter_; }
    net::thread_pool& Workers() { return workers_; }
    std::atomic<std::size_t>& QueuedChecks() { return queuedChecks_; }
    bool Draining() const { return draining_.load(); }

    void Opened(const std::shared_ptr<Session>& session) {
        std::lock_guard lock(mutex_);
        sessions_.insert(session);
    }
    void Closed(Session* session) {
        std::size_t left = 0;
        {
            std::lock_guard lock(mutex_);
            std::erase_if(sessions_, [&](const std::weak_ptr<Session>& w) {
                auto s = w.lock();
                return !s || s.get() == session;
            });
            left = open_.fetch_sub(1) - 1;
        }
        if (left == 0 && draining_) net::post(io_, [this] { Finish(); });
    }

  private:
    void Accept() {
        acceptor_.async_accept(
            net::make_strand(io_), [this](beast::error_code ec, tcp::socket socket) {
                if (ec == net::error::operation_aborted || !acceptor_.is_open()) return;
                if (ec) {
                    // Out of descriptors, most likely: tried again shortly, not in a loop.
                    std::fprintf(stderr, "zarq-scoreboard: accept: %s\n", ec.message().c_str());
                    retryTimer_.expires_after(std::chrono::milliseconds(100));
                    retryTimer_.async_wait([this](beast::error_code e) {
                        if (!e) Accept();
                    });
                    return;
                }
                if (open_.load() >= options_.MaxConnections) {
                    Refuse(std::move(socket));
                } else {
                    open_.fetch_add(1);
                    auto session = std::make_shared<Session>(std::move(socket), *this);
                    Opened(session);
                    session->Start();
                }
                Accept();
            });
    }

    // Over the cap: a short answer and the connection closed, without reading the request.
    void Refuse(tcp::socket socket) {
        static constexpr std::string_view kBusy =
            "HTTP/1.1 503 Service Unavailable\r\nRetry-After: 1\r\nContent-Length: 0\r\n"
            "Connection: close\r\n\r\n";
        auto s = std::make_shared<tcp::socket>(std::move(socket));
        metrics_.Count("refused", 503);
        net::async_write(*s, net::buffer(kBusy.data(), kBusy.size()),
                         [s](beast::error_code, std::size_t) {
                             beast::error_code ignored;
                             s->shutdown(tcp::socket::shutdown_both, ignored);
                             s->close(ignored);
                         });
    }

    void Stop(int signal) {
        draining_ = true;
        beast::error_code ec;
        acceptor_.close(ec);
        retryTimer_.cancel();
        std::vector<std::shared_ptr<Session>> open;
        {
            std::lock_guard lock(mutex_);
            for (const auto& w : sessions_) {
                if (auto s = w.lock()) open.push_back(s);
            }
        }
        std::fprintf(stderr,
                     "zarq-scoreboard stopping on %s: no new connections, %zu open ones "
                     "finish what they have begun\n",
                     signal == SIGTERM ? "SIGTERM" : "SIGINT", open.size());
        for (const auto& s : open) s->Drain();
        drainTimer_.expires_after(options_.DrainTime);
        drainTimer_.async_wait([this](beast::error_code e) {
            if (e) return;
            std::fprintf(stderr,
                         "zarq-scoreboard: requests still under way after %lld s are "
                         "dropped\n",
                         static_cast<long long>(options_.DrainTime.count()));
            io_.stop();
        });
        if (open_.load() == 0) Finish();
    }

    void Finish() {
        drainTimer_.cancel();
        signals_.cancel();
    }

    ServerOptions options_;
    PlayStore& store_;
    net::io_context io_{1};
    net::thread_pool workers_;
    tcp::acceptor acceptor_;
    net::signal_set signals_;
    net::steady_timer drainTimer_;
    net::steady_timer retryTimer_;
    Site site_;
    Metrics metrics_;
    RateLimiter limiter_;
    std::atomic<std::size_t> queuedChecks_{0};
    std::atomic<std::size_t> open_{0};
    std::atomic<bool> draining_{false};
    std::mutex mutex_;
    std::set<std::weak_ptr<Session>, std::owner_less<std::weak_ptr<Session>>> sessions_;
};

Session::Session(tcp::socket&& socket, Server& server)
    : stream_(std::move(socket)), server_(server) {
    beast::error_code ec;
    const tcp::endpoint remote = stream_.socket().remote_endpoint(ec);
    address_ = ec ? std::string("?") : remote.address().to_string();
    server_.Counters().Connections.fetch_add(1);
}

Session::~Session() {
    server_.Counters().Connections.fetch_sub(1);
    server_.Closed(this);
}

void Session::Start() {
    net::dispatch(stream_.get_executor(), [self = shared_from_this()] { self->ReadHeader(); });
}

void Session::Drain() {
    net::post(stream_.get_executor(), [self = shared_from_this()] {
        // Waiting for a request that has not begun: nothing is under way.
        if (!self->busy_ && self->buffer_.size() == 0) self->Close();
    });
}

void Session::ReadHeader() {
    busy_ = false;
    if (server_.Draining() && buffer_.size() == 0) return Close();
    parser_.emplace();
    parser_->header_limit(8 * 1024);
    parser_->body_limit(kRecordingLargest);
    stream_.expires_after(server_.Options().HeaderTimeout);
    http::async_read_header(stream_, buffer_, *parser_,
                            beast::bind_front_handler(&Session::OnHeader, shared_from_this()));
}

void Session::OnHeader(beast::error_code ec, std::size_t) {
    if (ec == http::error::end_of_stream || ec == net::error::operation_aborted ||
        ec == beast::error::timeout || ec == net::error::eof ||
        ec == net::error::connection_reset) {
        return Close();
    }
    busy_ = true;
    started_ = Clock::now();
    if (ec == http::error::body_limit) {
        // A Content-Length past the limit is refused as soon as the header says it.
        return Send(TooLarge());
    }
    if (ec == http::error::header_limit) {
        return Send(Answer::Closing(http::status::request_header_fields_too_large, "other",
                                    "The request's header is larger than the 8 KiB allowed here."));
    }
    if (ec) {
        return Send(Answer::Closing(http::status::bad_request, "other",
                                    "The request is not one this server reads."));
    }
    const auto& request = parser_->get();
    const std::string_view target(request.target().data(), request.target().size());
    if (request.method() == http::verb::post &&
        target.substr(0, target.find('?')) == "/api/plays") {
        const std::size_t q = target.find('?');
        const std::string_view query = q == std::string_view::npos ? "" : target.substr(q + 1);
        // Decided before the body is read: such an answer closes the connection, since the
        // body it leaves unread cannot be told from the next request.
        if (const auto refusal = CheckName(query, name_)) {
            return Send(Answer::Closing(http::status::bad_request, "submit", refusal->Message));
        }
        if (const long wait = server_.Limiter().Take(address_); wait > 0) {
            Answer a = Answer::Closing(http::status::too_many_requests, "submit",
                                       "Too many plays were sent from this address: try again in " +
                                           std::to_string(wait) + " s.");
            a.Fields.emplace_back(http::field::retry_after, std::to_string(wait));
            return Send(std::move(a));
        }
    }
    const auto expect = request[http::field::expect];
    if (beast::iequals(expect, "100-continue")) {
        static constexpr std::string_view kContinue = "HTTP/1.1 100 Continue\r\n\r\n";
        stream_.expires_after(server_.Options().WriteTimeout);
        return net::async_write(stream_, net::buffer(kContinue.data(), kContinue.size()),
                                [self = shared_from_this()](beast::error_code e, std::size_t) {
                                    if (e) return self->Close();
                                    self->ReadBody();
                                });
    }
    ReadBody();
}

void Session::ReadBody() {
    stream_.expires_after(server_.Options().BodyTimeout);
    http::async_read(stream_, buffer_, *parser_,
                     beast::bind_front_handler(&Session::OnBody, shared_from_this()));
}

void Session::OnBody(beast::error_code ec, std::size_t) {
    if (ec == http::error::body_limit) {
        return Send(TooLarge());
    }
    if (ec == beast::error::timeout) {
        return Send(Answer::Closing(http::status::request_timeout, "other",
                                    "The request's body did not arrive in time."));
    }
    if (ec) return Close();
    Handle();
}

void Session::Handle() {
    const auto& request = parser_->get();
    const std::string_view target(request.target().data(), request.target().size());
    const std::size_t q = target.find('?');
    const std::string_view path = target.substr(0, q);
    const std::string query(q == std::string_view::npos ? "" : target.substr(q + 1));
    const http::verb method = request.method();
    const bool read = method == http::verb::get || method == http::verb::head;

    // A page of another site may not make a visitor's browser send plays here.
    if (method == http::verb::post) {
        const auto origin = request[http::field::origin];
        const auto host = request[http::field::host];
        if (!origin.empty()) {
            const std::string_view o(origin.data(), origin.size());
            const std::string_view h(host.data(), host.size());
            const std::size_t scheme = o.find("://");
            if (scheme == std::string_view::npos || o.substr(scheme + 3) != h) {
                return Send(Answer::Error(http::status::forbidden, "submit",
                                          "Plays are taken only from this site's own page."));
            }
        }
    }

    if (path == "/api/plays") {
        if (method != http::verb::post) {
            Answer a = Answer::Error(http::status::method_not_allowed, "submit",
                                     "Plays are sent here with POST.");
            a.Fields.emplace_back(http::field::allow, "POST");
            return Send(std::move(a));
        }
        return Submit();
    }
    if (path == "/healthz" && read) {
        return OnWorker([this] {
            Answer a;
            a.Route = "health";
            a.Type = "text/plain; charset=utf-8";
            try {
                server_.Store().Ping();
                a.Body = "ok\n";
            } catch (const std::exception& e) {
                a.Status = http::status::service_unavailable;
                a.Body = "the database cannot be reached\n";
                a.Fields.emplace_back(http::field::retry_after, "5");
            }
            return a;
        });
    }
    if (path == "/metrics" && read) {
        Answer a;
        a.Route = "metrics";
        a.Type = "text/plain; version=0.0.4; charset=utf-8";
        a.Body = server_.Counters().Text();
        return Send(std::move(a));
    }
    if (path == "/api/scores" && read) {
        std::string board = "all";
        std::string text;
        if (QueryValue(query, "board", text)) board = text;
        std::int64_t offset = 0;
        std::int64_t limit = 20;
        bool good = board == "all" || board == "week";
        if (good && QueryValue(query, "offset", text)) {
            const auto n = Number(text);
            good = n && *n <= 1'000'000'000;
            offset = n.value_or(0);
        }
        if (good && QueryValue(query, "limit", text)) {
            const auto n = Number(text);
            good = n && *n >= 1 && *n <= kPageLargest;
            limit = n.value_or(20);
        }
        if (!good) {
            return Send(Answer::Error(http::status::bad_request, "scores",
                                      "Ask for board=all or board=week, an offset from 0 and a "
                                      "limit from 1 to 100."));
        }
        return OnWorker([this, board, offset, limit] {
            const std::int64_t since = board == "week" ? WeekStart(Now()) : 0;
            const BoardPage page = server_.Store().Board(since, offset, static_cast<int>(limit));
            std::string entries = "[";
            for (const PlayEntry& e : page.Entries) {
                if (entries.size() > 1) entries += ',';
                entries += EntryJson(e);
            }
            entries += ']';
            Answer a;
            a.Route = "scores";
            a.Body = Json()
                         .Add("board", board)
                         .Add("since", since > 0 ? IsoTime(since) : std::string())
                         .Add("offset", offset)
                         .Add("limit", limit)
                         .Add("more", page.More)
                         .AddRaw("entries", entries)
                         .Text();
            a.Fields.emplace_back(http::field::cache_control, "no-cache");
            return a;
        });
    }
    const auto idAfter = [&](std::string_view prefix, std::string_view suffix) {
        if (path.size() <= prefix.size() + suffix.size() ||
            path.substr(0, prefix.size()) != prefix ||
            path.substr(path.size() - suffix.size()) != suffix)
            return std::optional<std::int64_t>();
        return Number(path.substr(prefix.size(), path.size() - prefix.size() - suffix.size()));
    };
    if (const auto id = idAfter("/api/plays/", ""); id && read) {
        return OnWorker([this, id = *id] {
            const auto entry = server_.Store().Find(id);
            if (!entry)
                return Answer::Error(http::status::not_found, "play", "No entry has this number.");
            Answer a;
            a.Route = "play";
            a.Body = EntryJson(*entry);
            a.Fields.emplace_back(http::field::cache_control, "no-cache");
            return a;
        });
    }
    if (const auto id = idAfter("/api/plays/", "/recording"); id && read) {
        return OnWorker([this, id = *id] {
            auto recording = server_.Store().Recording(id);
            if (!recording)
                return Answer::Error(http::status::not_found, "recording",
                                     "No entry has this number.");
            Answer a;
            a.Route = "recording";
            a.Type = "application/octet-stream";
            a.Body = std::move(*recording);
            a.Fields.emplace_back(
                http::field::content_disposition,
                "attachment; filename=\"zarq-play-" + std::to_string(id) + ".zrec\"");
            a.Fields.emplace_back(http::field::cache_control, "public, max-age=86400");
            return a;
        });
    }
    if (const auto id = idAfter("/p/", ""); id && read) {
        // The web edition plays the link's recording from the address's fragment.
        return OnWorker([this, id = *id] {
            const auto recording = server_.Store().Recording(id);
            Answer a;
            a.Route = "short_link";
            if (!recording) {
                a.Status = http::status::not_found;
                a.Type = "text/plain; charset=utf-8";
                a.Body = "No entry has this number.\n";
                return a;
            }
            a.Status = http::status::found;
            a.Type = "text/plain; charset=utf-8";
            a.Fields.emplace_back(http::field::location, ReplayLinkAddress("/", *recording));
            a.Fields.emplace_back(http::field::cache_control, "no-store");
            return a;
        });
    }
    if (path.substr(0, 5) == "/api/") {
        return Send(Answer::Error(http::status::not_found, "other", "There is no such address."));
    }
    if (!read) {
        Answer a = Answer::Error(http::status::method_not_allowed, "static",
                                 "Only GET and HEAD are answered here.");
        a.Fields.emplace_back(http::field::allow, "GET, HEAD");
        return Send(std::move(a));
    }
    const SiteFile* file = server_.Files().Find(path);
    Answer a;
    a.Route = "static";
    if (file == nullptr) {
        a.Status = http::status::not_found;
        a.Type = "text/plain; charset=utf-8";
        a.Body = "Not found.\n";
        return Send(std::move(a));
    }
    const auto accepts = request[http::field::accept_encoding];
    const std::string_view accept(accepts.data(), accepts.size());
    const std::size_t gz = accept.find("gzip");
    const bool gzip = !file->Gzip.empty() && gz != std::string_view::npos &&
                      accept.substr(gz).substr(0, accept.substr(gz).find(',')).find("q=0") ==
                          std::string_view::npos;
    const std::string etag =
        gzip ? file->ETag.substr(0, file->ETag.size() - 1) + "-gzip\"" : file->ETag;
    a.Type = file->Type;
    a.Fields.emplace_back(http::field::etag, etag);
    if (!file->LastModified.empty())
        a.Fields.emplace_back(http::field::last_modified, file->LastModified);
    a.Fields.emplace_back(http::field::cache_control,
                          file->Immutable ? "public, max-age=31536000, immutable" : "no-cache");
    if (!file->Gzip.empty()) a.Fields.emplace_back(http::field::vary, "Accept-Encoding");
    const auto match = request[http::field::if_none_match];
    const auto since = request[http::field::if_modified_since];
    const bool fresh =
        !match.empty()
            ? std::string_view(match.data(), match.size()).find(etag) != std::string_view::npos
            : !since.empty() && !file->LastModified.empty() &&
                  ParseHttpDate(std::string_view(since.data(), since.size())) >=
                      ParseHttpDate(file->LastModified);
    if (fresh) {
        a.Status = http::status::not_modified;
        return Send(std::move(a));
    }
    if (gzip) a.Fields.emplace_back(http::field::content_encoding, "gzip");
    a.Shared = gzip ? &file->Gzip : &file->Bytes;
    Send(std::move(a));
}

void Session::Submit() {
    if (server_.QueuedChecks().load() >= server_.Options().MaxQueuedChecks) {
        Answer a = Answer::Error(http::status::service_unavailable, "submit",
                                 "The scoreboard is busy checking other plays: try again shortly.");
        a.Fields.emplace_back(http::field::retry_after, "1");
        return Send(std::move(a));
    }
    server_.QueuedChecks().fetch_add(1);
    std::string recording = std::move(parser_->get().body());
    OnWorker([this, recording = std::move(recording)] {
        struct Dequeue {
            Server& s;
            ~Dequeue() { s.QueuedChecks().fetch_sub(1); }
        } dequeue{server_};
        PlayStore& store = server_.Store();
        const auto answer = [](http::status status, const PlayEntry& e, bool existing) {
            Answer a;
            a.Status = status;
            a.Route = "submit";
            const std::string entry = EntryJson(e);
            a.Body = entry.substr(0, entry.size() - 1) +
                     ",\"existing\":" + (existing ? "true" : "false") + "}";
            a.Fields.emplace_back(http::field::location, "/api/plays/" + std::to_string(e.Id));
            return a;
        };
        // A recording the board has already: its entry, without a second replay.
        if (recording.size() <= kRecordingLargest) {
            if (const auto known = store.FindByDigest(Digest(recording)))
                return answer(http::status::ok, *known, true);
        }
        double seconds = 0;
        auto checked = CheckPlay(name_, recording, server_.Options().Limits, &seconds);
        server_.Counters().CheckTime(seconds, std::holds_alternative<NewPlay>(checked));
        if (auto* refusal = std::get_if<Refusal>(&checked)) {
            return Answer::Error(static_cast<http::status>(refusal->Status), "submit",
                                 refusal->Message);
        }
        NewPlay& play = std::get<NewPlay>(checked);
        play.Entry.Submitted = Now();
        const Added added = store.Add(play);
        return answer(added.Existed ? http::status::ok : http::status::created, added.Entry,
                      added.Existed);
    });
}

void Session::OnWorker(std::function<Answer()> job) {
    net::post(server_.Workers(), [self = shared_from_this(), job = std::move(job)] {
        Answer a;
        try {
            a = job();
        } catch (const StoreUnavailable& e) {
            std::fprintf(stderr, "zarq-scoreboard: %s\n", e.what());
            a = Answer::Error(http::status::service_unavailable, "other",
                              "The scoreboard's database cannot be reached: try again shortly.");
            a.Fields.emplace_back(http::field::retry_after, "5");
        } catch (const std::exception& e) {
            std::fprintf(stderr, "zarq-scoreboard: %s\n", e.what());
            a = Answer::Error(http::status::internal_server_error, "other",
                              "The scoreboard failed on this request.");
        }
        net::post(self->stream_.get_executor(),
                  [self, a = std::move(a)]() mutable { self->Send(std::move(a)); });
    });
}

void Session::Send(Answer a) {
    const bool head =
        parser_ && parser_->is_header_done() && parser_->get().method() == http::verb::head;
    const bool keepAlive = parser_ && parser_->is_header_done() && parser_->get().keep_alive() &&
                           !a.Close && !server_.Draining();
    unread_ = a.Close && !(parser_ && parser_->is_done());
    body_ = std::move(a.Body);
    const std::string& bytes = a.Shared != nullptr ? *a.Shared : body_;
    response_ = {};
    response_.version(11);
    response_.result(a.Status);
    response_.set(http::field::server, "zarq-scoreboard");
    response_.set(http::field::date, HttpDate(Now()));
    if (a.Status != http::status::not_modified) response_.set(http::field::content_type, a.Type);
    response_.set("Content-Security-Policy",
                  beast::string_view(kSecurityPolicy.data(), kSecurityPolicy.size()));
    response_.set("X-Content-Type-Options", "nosniff");
    response_.set(http::field::x_frame_options, "DENY");
    response_.set("Referrer-Policy", "no-referrer");
    response_.set("Cross-Origin-Opener-Policy", "same-origin");
    response_.set("Cross-Origin-Resource-Policy", "same-origin");
    if (a.Route != "static" && a.Route != "recording")
        response_.set(http::field::cache_control, "no-store");
    for (auto& [field, value] : a.Fields) response_.set(field, value);
    response_.keep_alive(keepAlive);
    const bool withBody = a.Status != http::status::not_modified;
    response_.body().data = head || !withBody ? nullptr : const_cast<char*>(bytes.data());
    response_.body().size = head || !withBody ? 0 : bytes.size();
    response_.body().more = false;
    if (withBody) response_.content_length(bytes.size());
    server_.Counters().Count(a.Route, static_cast<unsigned>(a.Status));
    Log(static_cast<unsigned>(a.Status), withBody ? bytes.size() : 0);
    // The site's bytes outlive the write; an answer's own body is kept in body_.
    stream_.expires_after(server_.Options().WriteTimeout);
    http::async_write(
        stream_, response_,
        beast::bind_front_handler(&Session::OnWritten, shared_from_this(), !keepAlive));
}

void Session::OnWritten(bool close, beast::error_code ec, std::size_t) {
    if (!ec && close && unread_) return Linger();
    if (ec || close) return Close();
    ReadHeader();
}

void Session::Linger() {
    if (!dropped_) {
        dropped_ = std::make_unique<std::array<char, 16384>>();
        beast::error_code ec;
        stream_.socket().shutdown(tcp::socket::shutdown_send, ec);
        stream_.expires_after(std::chrono::seconds(2));
    }
    stream_.async_read_some(net::buffer(*dropped_),
                            [self = shared_from_this()](beast::error_code ec, std::size_t n) {
                                self->droppedBytes_ += n;
                                if (ec || self->droppedBytes_ > (std::size_t{4} << 20))
                                    return self->Close();
                                self->Linger();
                            });
}

void Session::Close() {
    if (closed_) return;
    closed_ = true;
    beast::error_code ec;
    stream_.socket().shutdown(tcp::socket::shutdown_send, ec);
    stream_.close();
}

void Session::Log(unsigned status, std::size_t bytes) {
    std::string method = "-";
    std::string target;
    if (parser_ && parser_->is_header_done()) {
        const auto& r = parser_->get();
        method = std::string(r.method_string());
        target = std::string(r.target().data(), std::min<std::size_t>(r.target().size(), 300));
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - started_).count();
    const std::string line = IsoTime(Now()) + " " + address_ + " \"" + Shown(method) + " " +
                             Shown(target) + "\" " + std::to_string(status) + " " +
                             std::to_string(bytes) + " " + Milliseconds(ms) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace

int RunServer(const ServerOptions& options, PlayStore& store) {
    // Every connection holds a descriptor: as many as the system lets this process have.
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &files);
    }
    Server server(options, store);
    return server.Run();
}

}  // namespace zarq::scoreboard
