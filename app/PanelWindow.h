// The panel on screen: a frameless 490 x 580 window that paints the elements of one TForm1
// and repaints only the rectangles whose elements changed. Its outline comes from the
// hidden TCoolForm it carries.
#pragma once

#include <QWidget>

#include "PanelPainter.h"
#include "PictureSet.h"
#include "skin/TCoolForm.h"
#include "panel/Unit1.h"

namespace zarq {

class PanelWindow : public QWidget, public ElementView {
public:
    static constexpr int kWidth = 490;
    static constexpr int kHeight = 580;

    // `form` and `pictures` must outlive the window. `mask2` is the stored outline.
    PanelWindow(TForm1& form, const PictureSet& pictures, const QByteArray& mask2,
                QWidget* parent = nullptr);
    ~PanelWindow() override;
    PanelWindow(const PanelWindow&) = delete;
    PanelWindow& operator=(const PanelWindow&) = delete;

    TForm1& Form() { return form_; }
    TCoolForm& CoolForm1() { return coolForm1_; }
    const PanelPainter& Painter() const { return painter_; }

    // Places the window in the middle of its screen.
    void CentreOnScreen();

    // ElementView: the element's rectangle is repainted at the next paint.
    void ElementChanged(const TControl& control) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    // Keyboard and mouse handlers are added here, feeding form_'s handlers.

private:
    TForm1& form_;
    PanelPainter painter_;
    TCoolForm coolForm1_;  // a child: destroyed before QWidget's own clean-up
};

}  // namespace zarq
