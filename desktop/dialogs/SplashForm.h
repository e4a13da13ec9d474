// TSplashForm, the options dialog shown before play: the sound mode and the Windows version
// class, kept in the settings store, and "- PLAY -", which starts sound and places the panel.
// It also owns the program's menu, attached to the panel.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QWidget>

#include "DialogPicture.h"
#include "panel/Unit1.h"

namespace zarq {

class TSplashForm : public QWidget {
    Q_OBJECT

public:
    // `panel` is the toy's panel and `panelWindow` the window showing it, hidden until play
    // places and shows it.
    TSplashForm(TForm1& form, WindowHost& host, QWidget* panelWindow);

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
    // Shows the about dialog (the menu's first item).
    void SetAboutForm(QWidget* about) { about_ = about; }
    // Centres the dialog on the screen it is shown on.
    void CentreOnScreen();

signals:
    // The sound folder is missing: the program must end.
    void Terminate();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // A close request from the window system ends the program as the exit item does.
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenu();
    // Hides the dialog and shows the panel in its place, centred at its zoom.
    void ShowPanel();

    TForm1& form_;
    WindowHost& host_;
    QWidget* panelWindow_;
    QWidget* about_ = nullptr;
};

}  // namespace zarq
