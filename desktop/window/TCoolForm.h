// TCoolForm: the component that gives the panel window the toy's outline. Placed on a
// top-level window it makes the window frameless, sits at its top-left corner filling it,
// and turns the stored region data "Mask2" into the window's mask. A left press on it drags
// the window with the system's move.
#pragma once

#include <QByteArray>
#include <QRect>
#include <QRegion>
#include <QWidget>
#include <vector>

namespace zarq {

class TCoolForm : public QWidget {
  public:
    explicit TCoolForm(QWidget* parent = nullptr);
    TCoolForm(const TCoolForm&) = delete;
    TCoolForm& operator=(const TCoolForm&) = delete;

    // Places the component on `parent`. A top-level parent loses its frame and title bar;
    // the component goes to the parent's top-left corner whatever its place was.
    void SetParent(QWidget* parent);

    // Loads a stored "Mask2" value (4-byte little-endian length N, then N bytes of region
    // data) and gives the parent window that outline. No data, bad data or data that leaves
    // nothing inside the window keep the window rectangular; returns whether an outline was
    // applied.
    bool LoadMask2(const QByteArray& stored);

    // The outline made of `rects` (right and bottom edges inside), clipped to the parent,
    // applied as its mask; an empty result leaves the parent rectangular.
    bool ApplyRegion(const std::vector<QRect>& rects);

    // The outline applied last (empty while the window is rectangular).
    const QRegion& Outline() const { return outline_; }

    // The component's place and size as stored with the form: top and left always come out
    // 0 whatever is given; width and height are taken as given.
    void SetTop(int) { move(0, 0); }
    void SetLeft(int) { move(0, 0); }
    void SetWidth(int w) { resize(w, height()); }
    void SetHeight(int h) { resize(width(), h); }

    // Stored with the form; like the original component, the press handling ignores it.
    bool Draggable() const { return draggable_; }
    void SetDraggable(bool draggable) { draggable_ = draggable; }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FillParent();

    QRegion outline_;
    bool draggable_ = true;
};

}  // namespace zarq
