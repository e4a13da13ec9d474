// Recording and playback in the program.
#include "desktop/recordings/RecordingControl.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTimer>

namespace zarq {

namespace {
const char* const kFilter = "Zarq recordings (*.zrec);;All files (*)";
}  // namespace

RecordingControl::RecordingControl(PlaySession& session, QWidget& window, QObject* parent)
    : QObject(parent), session_(session), window_(window) {
    session_.SetEvents(this);
}

RecordingControl::~RecordingControl() {
    session_.SetEvents(nullptr);
    session_.StopPlayback();
    session_.StopRecording();
}

QString RecordingControl::StartRecording(const QString& path) {
    const QString error = QString::fromStdString(session_.StartRecording(path.toStdString()));
    UpdateMenu();
    return error;
}

void RecordingControl::StopRecording() {
    session_.StopRecording();
    UpdateMenu();
}

void RecordingControl::RecordingEnded() {
    // The end of the play ends the recording; the menu says so at once.
    QTimer::singleShot(0, this, [this] { UpdateMenu(); });
}

void RecordingControl::RecordingFailed(const std::string& why) {
    // Told once, after the input or tick that found it, and the menu offers "Record..." again.
    const QString text = QString::fromStdString(why);
    QTimer::singleShot(0, this, [this, text] {
        UpdateMenu();
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Record"), text,
                                    QMessageBox::Ok, &window_);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();  // not modal to the loop: the play goes on meanwhile
    });
}

QString RecordingControl::StartPlayback(const QString& path) {
    const QString error =
        QString::fromStdString(session_.StartPlayback(ReadRecordingFile(path.toStdString())));
    UpdateMenu();
    return error;
}

void RecordingControl::StopPlayback() {
    session_.StopPlayback();
}

void RecordingControl::PlaybackEnded(const std::string& failure) {
    UpdateMenu();
    if (!failure.empty()) {
        QMessageBox::warning(&window_, QStringLiteral("Play recording"),
                             QString::fromStdString(failure));
    }
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
