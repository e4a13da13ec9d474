// The scoreboard's HTTP side on Boost.Beast: one thread reads and writes every connection, a
// pool of workers replays submissions and talks to the database, so that a long check or a
// slow database never holds up the other connections.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "server/Store.h"
#include "server/Submission.h"

namespace zarq::scoreboard {

struct ServerOptions {
    std::string Address = "127.0.0.1";
    unsigned short Port = 8080;
    std::string Database;  // as given, for the log
    std::string Site;      // a folder; empty: the API alone
    std::size_t MaxConnections = 4096;
    unsigned Workers = 0;  // 0: one per processor, at least two
    std::size_t MaxQueuedChecks = 256;
    // Submissions from one address: a burst of `SubmitBurst`, then one every
    // `SubmitWindow / SubmitBurst`.
    double SubmitBurst = 20;
    std::chrono::seconds SubmitWindow{60};
    CheckLimits Limits;
    // Waiting for a request's header (also between requests on a kept connection), for its
    // body, and for a client to take an answer.
    std::chrono::seconds HeaderTimeout{30};
    std::chrono::seconds BodyTimeout{30};
    std::chrono::seconds WriteTimeout{30};
    // On SIGTERM: how long the requests under way may take before the program ends anyway.
    std::chrono::seconds DrainTime{5};
};

// Serves until SIGTERM or SIGINT; the exit code (0 after an orderly stop).
int RunServer(const ServerOptions& options, PlayStore& store);

}  // namespace zarq::scoreboard
