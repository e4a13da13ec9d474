// TSplashForm, the options dialog shown before play: the sound mode and the Windows version
// class, and "- PLAY -", which starts the play session's sound and places the panel.
// It also owns the program's menu, attached to the panel.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QWidget>
#include <vector>

#include "core/session/PlaySession.h"
#include "desktop/dialogs/DialogPicture.h"

namespace zarq {

// How the options dialog fits a screen's available area: the scale of its contents (1 where
// the dialog and its frame fit as laid out, less where they would not, so that "- PLAY -"
// can always be reached) and where its frame's top-left corner goes (centred in the area,
// never above or left of it). `frame` is the window frame around the client area.
struct DialogFit {
    double Scale = 1.0;
    QPoint FrameTopLeft;
};
DialogFit FitDialog(QSize client, QMargins frame, const QRect& available);

class TSplashForm : public QWidget {
    Q_OBJECT

  public:
    // `session` is the play and `panelWindow` the window showing its panel, hidden until play
    // places and shows it.
    TSplashForm(PlaySession& session, WindowHost& host, QWidget* panelWindow);

    QLabel* La_Title;
    QLabel* La_Version;
    DialogPicture* Im_Piccina;
    QLabel* La_Released;
    QLabel* La_Http;
    QLabel* La_Email;
    QLabel* La_Sound;
    QComboBox* CB_Sound;
    QLabel* La_System;
    QComboBox* CB_System;
    QPushButton* Puls_Play;

    QMenu* PM_Menu;
    QAction* PM_1About;
    QAction* PM_3Readme;
    QAction* PM_4Whatsnew;
    QAction* PM_6Instruct;
    QAction* PM_8Hiscore;
    QAction* PM_10Exit;

    void FormCreate();
    void CB_SoundChange();
    void CB_SystemChange();
    void Puls_PlayClick();
    // Play without the dialog (a recording's playback): the stored choices start sound, or
    // nothing does when none are stored; the panel is placed as "- PLAY -" places it.
    void PlayWithStoredChoices();
    void La_HttpClick();
    void La_EmailClick();

    // Adds a submenu of the program's own (the zoom) just before the separator above "E&xit";
    // the toy's items keep their order.
    void InsertBeforeExit(QMenu* submenu);
    // Shows the about dialog (the menu's first item). While it shows it has the keys: ESC,
    // even one that reaches the panel, closes only it, and the panel has the keys back after.
    void SetAboutForm(QWidget* about);
    // Centres the dialog on the screen it is shown on, scaled down where it would not fit
    // that screen's available area.
    void CentreOnScreen();
    // The scale of the dialog's contents now (1: as laid out).
    double ContentScale() const { return contentScale_; }

  signals:
    // The sound folder is missing: the program must end.
    void Terminate();

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // A close request from the window system ends the program as the exit item does.
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildMenu();
    // Lays the contents out `scale` times their size, from the layout kept in layout_.
    void ApplyContentScale(double scale);
    // Hides the dialog and shows the panel in its place, centred at its zoom.
    void ShowPanel();

    PlaySession& session_;
    WindowHost& host_;
    QWidget* panelWindow_;
    QWidget* about_ = nullptr;
    // Every control as laid out at full size, for a dialog shown scaled down.
    struct Placed {
        QWidget* Control;
        QRect Geometry;
        QFont Font;
    };
    std::vector<Placed> layout_;
    double contentScale_ = 1.0;
    QMargins fittedFrame_;  // the frame the last fit allowed for
};

}  // namespace zarq
