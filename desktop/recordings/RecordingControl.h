// Recordings in the program: the menu items that start and stop recording and playback, the
// file dialogs, and the messages the play session asks to show. The session keeps the rules.
#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSettings>
#include <QString>
#include <QWidget>

#include "core/session/PlaySession.h"
#include "desktop/recordings/BestScoreFiles.h"
#include "desktop/recordings/BestScoresDialog.h"

namespace zarq {

class RecordingControl : public QObject, public SessionEvents {
  public:
    // `window` is the parent of the dialogs and messages.
    RecordingControl(PlaySession& session, QWidget& window, QObject* parent = nullptr);
    ~RecordingControl() override;

    // Starts recording into `path`; an empty result means it runs, otherwise it says why not.
    QString StartRecording(const QString& path);
    void StopRecording();
    bool IsRecording() const { return session_.IsRecording(); }

    // Plays the recording in `source` in the panel: a file's path, or a replay link. An empty
    // result means it plays.
    QString StartPlayback(const QString& source);
    // Plays a recording's text (a kept best score), as a file would play.
    QString StartPlaybackOf(const std::string& recording);
    void StopPlayback();
    bool PlayingBack() const { return session_.PlayingBack(); }

    // The best scores on `shelf`, their address for links in `settings`: the list is loaded
    // from the shelf, and AddMenuItems adds "Best scores...". Both must outlive this.
    void EnableBestScores(BestScoreFiles& shelf, QSettings& settings);
    // The best scores dialog, shown and brought forward (made at the first call).
    BestScoresDialog* ShowBestScores();

    // The program ends: the play under way is kept when it ranks; what is not kept is told on
    // standard error, no message box any more. Nothing is kept after this.
    void Close();

    // "Record..." / "Stop recording", "Play recording..." / "Stop playback" and, with best
    // scores, "Best scores...", inserted before `before` (the separator above "E&xit").
    void AddMenuItems(QMenu* menu, QAction* before);

    // SessionEvents
    void RecordingEnded() override;
    void RecordingFailed(const std::string& why) override;
    void PlaybackEnded(const std::string& failure) override;
    void PlayKept(int rank) override;
    void PlayNotKept(const std::string& why) override;

  private:
    void UpdateMenu();
    void ChooseRecordFile();
    void ChoosePlaybackSource();

    PlaySession& session_;
    QWidget& window_;
    QAction* recordAction_ = nullptr;
    QAction* playAction_ = nullptr;
    BestScoreFiles* shelf_ = nullptr;
    QSettings* settings_ = nullptr;
    QPointer<BestScoresDialog> bestScores_;
    bool closing_ = false;
};

}  // namespace zarq
