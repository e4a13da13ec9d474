// The panel window.
#include "PanelWindow.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

namespace zarq {

PanelWindow::PanelWindow(TForm1& form, const PictureSet& pictures, const QByteArray& mask2,
                         QWidget* parent)
    : QWidget(parent), form_(form), painter_(form, pictures) {
    setWindowTitle(QStringLiteral("Zarq (Keldo) Simulator"));
    setFixedSize(kWidth, kHeight);
    // Every pixel is painted by paintEvent, white where no picture lies.
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);

    // The component makes the window frameless and gives it the toy's outline; it stays
    // hidden, so it never takes a press.
    coolForm1_.SetParent(this);
    coolForm1_.setVisible(false);
    coolForm1_.SetDraggable(false);
    coolForm1_.LoadMask2(mask2);

    form_.AttachView(this);
}

PanelWindow::~PanelWindow() { form_.AttachView(nullptr); }

void PanelWindow::CentreOnScreen() {
    const QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (s == nullptr) return;
    const QRect area = s->geometry();
    move(area.x() + (area.width() - kWidth) / 2, area.y() + (area.height() - kHeight) / 2);
}

void PanelWindow::ElementChanged(const TControl& control) {
    const TRect& b = control.Bounds();
    update(b.Left, b.Top, b.Width, b.Height);
}

void PanelWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter_.Paint(painter, event->region());
}

}  // namespace zarq
