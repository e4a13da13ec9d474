// Recordings in the program: the menu items that start and stop recording and playback, the
// file dialogs, and the messages the play session asks to show. The session keeps the rules.
#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QString>
#include <QWidget>

#include "core/session/PlaySession.h"

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

    // Plays the recording in `path` in the panel; an empty result means it plays.
    QString StartPlayback(const QString& path);
    void StopPlayback();
    bool PlayingBack() const { return session_.PlayingBack(); }

    // "Record..." / "Stop recording" and "Play recording..." / "Stop playback", inserted before
    // `before` (the separator above "E&xit").
    void AddMenuItems(QMenu* menu, QAction* before);

    // SessionEvents
    void RecordingEnded() override;
    void RecordingFailed(const std::string& why) override;
    void PlaybackEnded(const std::string& failure) override;

  private:
    void UpdateMenu();
    void ChooseRecordFile();
    void ChoosePlaybackFile();

    PlaySession& session_;
    QWidget& window_;
    QAction* recordAction_ = nullptr;
    QAction* playAction_ = nullptr;
};

}  // namespace zarq
