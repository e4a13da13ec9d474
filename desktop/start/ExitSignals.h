// The termination signals (SIGINT, SIGTERM, SIGHUP) turned into a Qt signal on the GUI
// thread, so that Ctrl+C in a terminal, `kill` and a closed terminal end the program the way
// its own exit item does: sound shut down, nothing stored, exit code 0. Should that orderly
// end not come about within a grace period (the GUI thread busy in a loop that never returns
// to the event loop, a dialog that holds on), a watchdog thread ends the process at once.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <chrono>
#include <memory>
#include <thread>

namespace zarq {

class ExitSignals : public QObject {
    Q_OBJECT

  public:
    // The process is gone within a second of the signal: after kGrace when the GUI thread has
    // not taken the signal up by then (it is held in a loop), else after kGraceUnderWay.
    static constexpr std::chrono::milliseconds kGrace{400};
    static constexpr std::chrono::milliseconds kGraceUnderWay{850};

    // Installs the handlers; only one instance may exist at a time. Must be built before any
    // sound or controller start-up, so that no library's handler is in place first. The
    // orderly end is done when this object is destroyed: build it before what the end shuts
    // down, so that it goes last.
    explicit ExitSignals(QObject* parent = nullptr);
    ~ExitSignals() override;
    ExitSignals(const ExitSignals&) = delete;
    ExitSignals& operator=(const ExitSignals&) = delete;

    // False when the handlers could not be installed (the default actions then stay).
    bool Installed() const { return notifier_ != nullptr; }

  signals:
    // Once per signal received, on the GUI thread; `number` is the signal's number.
    void Received(int number);

  private:
    void ReadPending();

    int readEnd_ = -1;
    int writeEnd_ = -1;
    int watchRead_ = -1;
    int watchWrite_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::thread watchdog_;
};

}  // namespace zarq
