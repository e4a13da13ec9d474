// The panel's controls: picture elements (TImage) and invisible click shapes (TShape).
// Elements never move; only their visibility and, for the digit places, their picture change,
// and every such change is reported to the view that shows the panel.
#pragma once

#include <string>

namespace zarq {

struct TRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;

    bool Contains(int x, int y) const {
        return x >= Left && y >= Top && x < Left + Width && y < Top + Height;
    }
    bool operator==(const TRect&) const = default;
};

enum class TCursor { Default, Hand, Help };

// Which of the panel's mouse handlers a control feeds; None means presses pass through it,
// Inert that it takes them and nothing happens (a picture without a handler of its own).
enum class MouseRole { None, Drag, SwitchOn, SwitchOff, Inert };

class TControl;

// Whoever shows the panel: told the rectangle of every control whose look changed.
class ElementView {
  public:
    virtual ~ElementView() = default;
    virtual void ElementChanged(const TControl& control) = 0;
};

class TControl {
  public:
    TControl(std::string name, TRect bounds, bool visible);
    virtual ~TControl() = default;
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    const std::string& Name() const { return name_; }
    const TRect& Bounds() const { return bounds_; }

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    TCursor Cursor() const { return cursor_; }
    const std::string& Hint() const { return hint_; }
    MouseRole Role() const { return role_; }
    // The click shapes are ellipses; everything else takes the whole rectangle.
    virtual bool HitTest(int x, int y) const { return bounds_.Contains(x, y); }

    void SetPointer(TCursor cursor, std::string hint, MouseRole role);
    void AttachView(ElementView* view) { view_ = view; }

  protected:
    void Changed();

  private:
    std::string name_;
    TRect bounds_;
    bool visible_;
    TCursor cursor_ = TCursor::Default;
    std::string hint_;
    MouseRole role_ = MouseRole::None;
    ElementView* view_ = nullptr;
};

// A fixed picture. The picture key names the element that carries the picture's file
// ("Im_Zarq5" for every player figure); an empty key is a blank picture.
class TImage : public TControl {
  public:
    TImage(std::string name, TRect bounds, std::string picture, bool transparent, bool visible);

    const std::string& Picture() const { return picture_; }
    void SetPicture(std::string picture);
    bool Transparent() const { return transparent_; }

  private:
    std::string picture_;
    bool transparent_;
};

// An invisible ellipse with no brush and no pen: it only carries a cursor and a hint.
class TShape : public TControl {
  public:
    TShape(std::string name, TRect bounds);
    bool HitTest(int x, int y) const override;
};

}  // namespace zarq
