// Two self-pipes: the handler only writes the signal's number into non-blocking sockets, the
// one thing it may safely do. The GUI thread reads one when its event loop sees it readable;
// the watchdog thread reads the other and, unless the orderly end reports back in time, ends
// the process with _exit.
//
// What _exit leaves behind is safe: the settings are written by replacing their file, so an
// unfinished write leaves the old one; a recording is written one whole line per write call
// and never buffered, so the file ends at its last whole line (a reader takes such a file as
// cut short and plays it up to there).
#include "desktop/start/ExitSignals.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace zarq {

namespace {
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr unsigned char kStop = 0;  // from the destructor: the orderly end has come

// A handler can reach nothing but globals; they are set while an ExitSignals exists.
volatile std::sig_atomic_t gWriteEnd = -1;
volatile std::sig_atomic_t gWatchEnd = -1;
// Set once the GUI thread has taken a signal up: its orderly end is under way.
std::atomic<bool> gAnswered{false};

void Send(int fd, unsigned char byte) {
    // A full socket drops the byte: the end is already on its way.
    if (fd >= 0) {
        const ssize_t written = ::write(fd, &byte, 1);
        static_cast<void>(written);
    }
}

void OnSignal(int number) {
    const int saved = errno;
    Send(gWriteEnd, static_cast<unsigned char>(number));
    Send(gWatchEnd, static_cast<unsigned char>(number));
    errno = saved;
}

// One byte from `fd`, waiting at most `timeout` (for ever when negative); -1 on timeout.
int ReadByte(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&p, 1, timeoutMs);
        if (ready == 0) return -1;
        if (ready < 0) {
            if (errno == EINTR) continue;  // a signal landed on this thread: look again
            return -1;
        }
        unsigned char byte = 0;
        const ssize_t n = ::read(fd, &byte, 1);
        if (n == 1) return byte;
        if (n == 0) return kStop;  // the other end is gone
    }
}

void Watch(int fd) {
    int number = 0;
    do {
        number = ReadByte(fd, -1);
    } while (number < 0);
    if (number == kStop) return;
    // The deadlines count from the first signal; further ones change nothing. A GUI thread
    // that has not even taken the signal up by the first is held: the end comes then. One
    // that has is given until the second to finish what it does.
    const auto start = std::chrono::steady_clock::now();
    for (const auto grace : {ExitSignals::kGrace, ExitSignals::kGraceUnderWay}) {
        if (grace == ExitSignals::kGraceUnderWay && !gAnswered.load()) break;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                start + grace - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            if (ReadByte(fd, static_cast<int>(left.count())) == kStop) return;
        }
    }
    ::_exit(128 + number);
}

bool SocketPair(int& readEnd, int& writeEnd) {
    int ends[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0)
        return false;
    readEnd = ends[0];
    writeEnd = ends[1];
    return true;
}
}  // namespace

ExitSignals::ExitSignals(QObject* parent) : QObject(parent) {
    if (!SocketPair(readEnd_, writeEnd_)) return;
    notifier_ = std::make_unique<QSocketNotifier>(readEnd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { ReadPending(); });
    if (SocketPair(watchRead_, watchWrite_)) {
        // The watchdog waits in poll, so its end may stay non-blocking.
        watchdog_ = std::thread(Watch, watchRead_);
        gWatchEnd = watchWrite_;
    }
    gWriteEnd = writeEnd_;

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : kSignals) ::sigaction(number, &action, nullptr);
}

ExitSignals::~ExitSignals() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int number : kSignals) ::sigaction(number, &action, nullptr);
    gWriteEnd = -1;
    gWatchEnd = -1;
    if (watchdog_.joinable()) {
        // Sent until it goes: a socket full of signal bytes must not drop the stop.
        const unsigned char stop = kStop;
        while (::send(watchWrite_, &stop, 1, MSG_NOSIGNAL) < 0 && errno == EAGAIN) {
            pollfd p{watchWrite_, POLLOUT, 0};
            ::poll(&p, 1, 10);
        }
        watchdog_.join();
    }
    notifier_.reset();
    for (int fd : {readEnd_, writeEnd_, watchRead_, watchWrite_}) {
        if (fd >= 0) ::close(fd);
    }
}

void ExitSignals::ReadPending() {
    unsigned char bytes[16];
    ssize_t n = 0;
    while ((n = ::read(readEnd_, bytes, sizeof bytes)) > 0) {
        gAnswered = true;
        for (ssize_t i = 0; i < n; ++i) emit Received(bytes[i]);
    }
}

}  // namespace zarq
