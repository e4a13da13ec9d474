// Which pictures the panel needs, read from a real panel: every picture key its elements
// carry, with the size of the element that carries it. Building the list from the panel
// itself keeps the generator and the element table from drifting apart.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/panel/Unit1.h"

namespace zarq::assetgen {

enum class PictureFormat { Png, Jpeg };

struct PictureSpec {
    std::string Key;  // the name of the element carrying the picture, also the file's stem
    int Width = 0;
    int Height = 0;
    bool Transparent = false;
    PictureFormat Format = PictureFormat::Png;

    std::string FileName() const { return Key + (Format == PictureFormat::Jpeg ? ".jpg" : ".png"); }
};

// A panel on a virtual clock whose sound, ports and window do nothing: only its elements
// are used.
class InertPanel {
  public:
    InertPanel();
    ~InertPanel();
    InertPanel(const InertPanel&) = delete;
    InertPanel& operator=(const InertPanel&) = delete;

    const TForm1& Form() const { return *form_; }

  private:
    struct Seams;
    std::unique_ptr<Seams> seams_;
    std::unique_ptr<TForm1> form_;
};

// Every picture of the panel, in stacking order of the element that carries it. Throws if an
// element shares a picture of a different size.
std::vector<PictureSpec> PictureCatalogue(const TForm1& form);

// The photographs (the panel's body, the speed button, the author's photograph on the about
// dialog) are JPEG; everything else is PNG, so that the display and the printing stay exact.
PictureFormat FormatOf(const std::string& key);

}  // namespace zarq::assetgen
