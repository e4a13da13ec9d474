// A self-pipe: the handler only writes the signal's number into a non-blocking socket, the
// one thing it may safely do; the GUI thread reads it when the socket becomes readable.
#include "ExitSignals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace zarq {

namespace {
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// A handler can reach nothing but a global; it is set while an ExitSignals exists.
volatile std::sig_atomic_t gWriteEnd = -1;

void OnSignal(int number) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    const int fd = gWriteEnd;
    // A full socket drops the byte: the end is already on its way.
    if (fd >= 0) {
        const ssize_t written = ::write(fd, &byte, 1);
        static_cast<void>(written);
    }
    errno = saved;
}
}  // namespace

ExitSignals::ExitSignals(QObject* parent) : QObject(parent) {
    int ends[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0) return;
    readEnd_ = ends[0];
    writeEnd_ = ends[1];
    gWriteEnd = writeEnd_;
    notifier_ = std::make_unique<QSocketNotifier>(readEnd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { ReadPending(); });

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
    notifier_.reset();
    if (readEnd_ >= 0) ::close(readEnd_);
    if (writeEnd_ >= 0) ::close(writeEnd_);
}

void ExitSignals::ReadPending() {
    unsigned char bytes[16];
    ssize_t n = 0;
    while ((n = ::read(readEnd_, bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < n; ++i) emit Received(bytes[i]);
    }
}

}  // namespace zarq
