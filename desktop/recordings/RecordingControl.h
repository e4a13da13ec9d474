// Recordings in the program: recording the player's play to a file, and playing a recording
// back in the panel at the real pace with the player's own controls held off; with the menu
// items that start and stop both.
#pragma once

#include <QAction>
#include <QElapsedTimer>
#include <QMenu>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

#include "PanelWindow.h"
#include "QtTimerHost.h"
#include "record/Recorder.h"
#include "record/Replayer.h"

namespace zarq {

class RecordingControl : public QObject {
  public:
    RecordingControl(PanelWindow& window, QtTimerHost& timers, QObject* parent = nullptr);
    ~RecordingControl() override;

    // Starts recording into `path`; an empty result means it runs, otherwise it says why not.
    QString StartRecording(const QString& path);
    void StopRecording();
    bool IsRecording() const { return recorder_ != nullptr && recorder_->Active(); }

    // Plays the recording in `path` in the panel; an empty result means it plays.
    QString StartPlayback(const QString& path);
    void StopPlayback();
    bool PlayingBack() const { return replay_ != nullptr; }

    // "Record..." / "Stop recording" and "Play recording..." / "Stop playback", inserted before
    // `before` (the separator above "E&xit").
    void AddMenuItems(QMenu* menu, QAction* before);

  private:
    void Pace();
    void EndPlayback();
    void UpdateMenu();
    void ChooseRecordFile();
    void ChoosePlaybackFile();

    PanelWindow& window_;
    QtTimerHost& timers_;
    std::unique_ptr<Recorder> recorder_;
    std::unique_ptr<Recording> recording_;
    std::unique_ptr<Replayer> replay_;
    QElapsedTimer started_;
    QTimer pace_;
    QAction* recordAction_ = nullptr;
    QAction* playAction_ = nullptr;
};

}  // namespace zarq
