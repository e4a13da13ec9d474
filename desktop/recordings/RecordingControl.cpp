// Recording and playback in the program.
#include "RecordingControl.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>
#include <algorithm>

namespace zarq {

namespace {
const char* const kFilter = "Zarq recordings (*.zrec);;All files (*)";
constexpr int kSystemUnset = -1;
}  // namespace

RecordingControl::RecordingControl(PanelWindow& window, QtTimerHost& timers, QObject* parent)
    : QObject(parent), window_(window), timers_(timers) {
    pace_.setSingleShot(true);
    pace_.setTimerType(Qt::PreciseTimer);
    connect(&pace_, &QTimer::timeout, this, [this] { Pace(); });
}

RecordingControl::~RecordingControl() {
    StopPlayback();
    StopRecording();
}

QString RecordingControl::StartRecording(const QString& path) {
    StopPlayback();
    StopRecording();
    TForm1& form = window_.Form();
    SettingsStore* store = form.SettingsStore_.get();
    const int system = store != nullptr ? store->ReadInteger("System", kSystemUnset) : kSystemUnset;
    Recorder::Options options{ZARQ_VERSION, std::clamp(system, 0, 1), true};
    recorder_ = std::make_unique<Recorder>(form, window_.Input(), timers_.Scheduler(), options);
    // The end of the play ends the recording; the menu says so at once.
    recorder_->SetOnEnded(
        [this](EndReason) { QTimer::singleShot(0, this, [this] { UpdateMenu(); }); });
    if (!recorder_->Start(path.toStdString())) {
        const QString error = QString::fromStdString(recorder_->Error());
        recorder_.reset();
        return error;
    }
    UpdateMenu();
    return {};
}

void RecordingControl::StopRecording() {
    if (recorder_ != nullptr) recorder_->Stop();
    recorder_.reset();
    UpdateMenu();
}

QString RecordingControl::StartPlayback(const QString& path) {
    ReadResult read = ReadRecordingFile(path.toStdString());
    if (!read.Value) return QString::fromStdString(read.Error);
    StopPlayback();
    StopRecording();
    recording_ = std::make_unique<Recording>(std::move(*read.Value));
    TForm1& form = window_.Form();
    // The replay drives the panel's timers on its own clock; the player's controls stay off.
    timers_.Suspend(true);
    window_.Input().SetPlayerLocked(true);
    replay_ = std::make_unique<Replayer>(*recording_, form, window_.Input(), timers_.Scheduler());
    replay_->Begin();
    started_.start();
    UpdateMenu();
    Pace();
    return {};
}

void RecordingControl::Pace() {
    if (replay_ == nullptr) return;
    replay_->AdvanceTo(started_.elapsed());
    if (replay_->Ended()) {
        EndPlayback();
        return;
    }
    const std::optional<Millis> wake = replay_->NextWake();
    const qint64 delay = wake ? std::max<qint64>(0, *wake - started_.elapsed()) : 0;
    pace_.start(static_cast<int>(std::min<qint64>(delay, 3'600'000)));
}

void RecordingControl::EndPlayback() {
    pace_.stop();
    const QString failure =
        replay_ != nullptr ? QString::fromStdString(replay_->Failure()) : QString();
    TForm1& form = window_.Form();
    // What still runs stands still: the panel stays as the play left it.
    const auto timers = form.Timers();
    if (std::any_of(timers.begin(), timers.end(), [](const TTimer* t) { return t->Enabled(); })) {
        form.BloccaTimers();
        form.Silenzio();
    }
    replay_.reset();  // gives the scheduler the real clock back
    recording_.reset();
    window_.Input().SetPlayerLocked(false);
    timers_.Suspend(false);
    UpdateMenu();
    if (!failure.isEmpty()) {
        QMessageBox::warning(
            &window_, QStringLiteral("Play recording"),
            QStringLiteral("The play stopped following its recording:\n%1").arg(failure));
    }
}

void RecordingControl::StopPlayback() {
    if (replay_ != nullptr) EndPlayback();
}

void RecordingControl::AddMenuItems(QMenu* menu, QAction* before) {
    recordAction_ = new QAction(QStringLiteral("Record..."), menu);
    playAction_ = new QAction(QStringLiteral("Play recording..."), menu);
    menu->insertAction(before, recordAction_);
    menu->insertAction(before, playAction_);
    connect(recordAction_, &QAction::triggered, this, [this] {
        if (IsRecording()) {
            StopRecording();
        } else {
            ChooseRecordFile();
        }
    });
    connect(playAction_, &QAction::triggered, this, [this] {
        if (PlayingBack()) {
            StopPlayback();
        } else {
            ChoosePlaybackFile();
        }
    });
    UpdateMenu();
}

void RecordingControl::UpdateMenu() {
    if (recordAction_ != nullptr) {
        recordAction_->setText(IsRecording() ? QStringLiteral("Stop recording")
                                             : QStringLiteral("Record..."));
    }
    if (playAction_ != nullptr) {
        playAction_->setText(PlayingBack() ? QStringLiteral("Stop playback")
                                           : QStringLiteral("Play recording..."));
    }
}

void RecordingControl::ChooseRecordFile() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString suggested = QDir(folder).filePath(
        QDateTime::currentDateTime().toString(QStringLiteral("'zarq-'yyyy-MM-dd-HHmmss'.zrec'")));
    const QString path = QFileDialog::getSaveFileName(&window_, QStringLiteral("Record"), suggested,
                                                      QString::fromLatin1(kFilter));
    if (path.isEmpty()) return;
    const QString error = StartRecording(path);
    if (!error.isEmpty()) QMessageBox::warning(&window_, QStringLiteral("Record"), error);
}

void RecordingControl::ChoosePlaybackFile() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path = QFileDialog::getOpenFileName(&window_, QStringLiteral("Play recording"),
                                                      folder, QString::fromLatin1(kFilter));
    if (path.isEmpty()) return;
    const QString error = StartPlayback(path);
    if (!error.isEmpty()) {
        QMessageBox::warning(
            &window_, QStringLiteral("Play recording"),
            QStringLiteral("%1 cannot be played:\n%2").arg(QDir::toNativeSeparators(path), error));
    }
}

}  // namespace zarq
