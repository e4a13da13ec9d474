// The termination signals (SIGINT, SIGTERM, SIGHUP) turned into a Qt signal on the GUI
// thread, so that Ctrl+C in a terminal, `kill` and a closed terminal end the program the way
// its own exit item does: sound shut down, nothing stored, exit code 0.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace zarq {

class ExitSignals : public QObject {
    Q_OBJECT

  public:
    // Installs the handlers; only one instance may exist at a time. Must be built before any
    // sound or controller start-up, so that no library's handler is in place first.
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
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace zarq
