// TAboutForm, the about dialog: a photograph of the author and five lines about him. While it
// shows it takes the keys; ESC closes it (and only it).
#pragma once

#include <QFrame>
#include <QLabel>
#include <QWidget>

#include "desktop/dialogs/DialogPicture.h"

namespace zarq {

class TAboutForm : public QWidget {
    Q_OBJECT

  public:
    TAboutForm();

    DialogPicture* Im_Foto;
    QFrame* Bevel_Foto;
    QLabel* La_Name1;
    QLabel* La_Name2;
    QLabel* La_Place1;
    QLabel* La_Place2;
    QLabel* La_Date1;
    QLabel* La_Date2;
    QLabel* La_Occupation1;
    QLabel* La_Occupation2;
    QLabel* La_Hobby1;
    QLabel* La_Hobby2;

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace zarq
