// A dialog's fixed picture (the boxed toy, the author's photograph), painted from the set
// drawn for the screen's pixel ratio: on a 200 % screen the 2x file fills the label pixel for
// pixel, on 150 % the 2x file is scaled down smoothly, never the 1x one enlarged. The set is
// chosen again at every paint, so moving the dialog to another screen keeps it sharp.
#pragma once

#include <QWidget>
#include <string>

#include "desktop/window/PictureSet.h"

namespace zarq {

class DialogPicture : public QWidget {
  public:
    // `key` names the files ("Im_Piccina" -> Im_Piccina.png, Im_Piccina@2x.png, ...) in the
    // program's picture resources.
    DialogPicture(std::string key, QWidget* parent);

    // The set the last paint came from, 0 before the first paint or when none could be read.
    int ShownScale() const { return shownScale_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::string key_;
    PictureSet pictures_;
    bool loaded_ = false;
    int shownScale_ = 0;
};

}  // namespace zarq
