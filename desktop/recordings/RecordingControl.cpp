// Recording and playback in the program.
#include "desktop/recordings/RecordingControl.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>
#include <iostream>

#include "core/record/ReplayLink.h"
#include "core/record/Verify.h"

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

QString RecordingControl::StartPlayback(const QString& source) {
    const QString error =
        QString::fromStdString(session_.StartPlayback(ReadRecordingSource(source.toStdString())));
    UpdateMenu();
    return error;
}

QString RecordingControl::StartPlaybackOf(const std::string& recording) {
    const QString error = QString::fromStdString(session_.StartPlayback(ReadRecording(recording)));
    UpdateMenu();
    return error;
}

void RecordingControl::EnableBestScores(BestScoreFiles& shelf, QSettings& settings) {
    shelf_ = &shelf;
    settings_ = &settings;
    session_.SetBestScoreShelf(shelf_);
    shelf_->LoadInto(session_.Best());
}

BestScoresDialog* RecordingControl::ShowBestScores() {
    if (shelf_ == nullptr) return nullptr;
    if (bestScores_ == nullptr) {
        bestScores_ = new BestScoresDialog(
            session_, *shelf_, *settings_,
            [this](const std::string& recording) { return StartPlaybackOf(recording); }, &window_);
        bestScores_->setWindowFlag(Qt::Window);
    } else {
        bestScores_->Refresh();
    }
    bestScores_->show();
    bestScores_->raise();
    bestScores_->activateWindow();
    return bestScores_;
}

void RecordingControl::Close() {
    closing_ = true;
    session_.Close();
}

void RecordingControl::PlayKept(int /*rank*/) {
    // The list follows at once; the play itself is not interrupted by a message.
    QTimer::singleShot(0, this, [this] {
        if (bestScores_ != nullptr) bestScores_->Refresh();
    });
}

void RecordingControl::PlayNotKept(const std::string& why) {
    if (closing_) {
        std::cerr << why << '\n';
        return;
    }
    const QString text = QString::fromStdString(why);
    QTimer::singleShot(0, this, [this, text] {
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Best scores"), text,
                                    QMessageBox::Ok, &window_);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();  // the play goes on meanwhile
    });
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
            ChoosePlaybackSource();
        }
    });
    if (shelf_ != nullptr) {
        auto* best = new QAction(QStringLiteral("Best scores..."), menu);
        menu->insertAction(before, best);
        connect(best, &QAction::triggered, this, [this] { ShowBestScores(); });
    }
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

void RecordingControl::ChoosePlaybackSource() {
    // One field for both: a pasted replay link, or a file's path typed or chosen with Browse.
    QDialog dialog(&window_);
    dialog.setWindowTitle(QStringLiteral("Play recording"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(
        new QLabel(QStringLiteral("Paste a replay link, or give a recording file:"), &dialog));
    auto* row = new QHBoxLayout;
    auto* source = new QLineEdit(&dialog);
    source->setObjectName(QStringLiteral("source"));
    source->setMinimumWidth(420);
    source->setPlaceholderText(QStringLiteral("https://.../#play=...  or  /path/to/play.zrec"));
    auto* browse = new QPushButton(QStringLiteral("Browse..."), &dialog);
    browse->setAutoDefault(false);
    row->addWidget(source, 1);
    row->addWidget(browse);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, &dialog);
    QPushButton* play = buttons->addButton(QStringLiteral("Play"), QDialogButtonBox::AcceptRole);
    play->setDefault(true);
    play->setEnabled(false);
    layout->addWidget(buttons);
    connect(source, &QLineEdit::textChanged, play,
            [play](const QString& text) { play->setEnabled(!text.trimmed().isEmpty()); });
    connect(browse, &QPushButton::clicked, &dialog, [&dialog, source] {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString path = QFileDialog::getOpenFileName(&dialog, QStringLiteral("Play recording"),
                                                          folder, QString::fromLatin1(kFilter));
        if (!path.isEmpty()) source->setText(path);
    });
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) return;
    const QString given = source->text().trimmed();
    if (given.isEmpty()) return;
    const QString error = StartPlayback(given);
    if (error.isEmpty()) return;
    const bool link = IsReplayLink(given.toStdString());
    QMessageBox::warning(&window_, QStringLiteral("Play recording"),
                         link ? QStringLiteral("The link cannot be played:\n%1").arg(error)
                              : QStringLiteral("%1 cannot be played:\n%2")
                                    .arg(QDir::toNativeSeparators(given), error));
}

}  // namespace zarq
