// The inert panel and the picture list read from it.
#include "tools/assetgen/pictures/Catalogue.h"

#include <set>
#include <stdexcept>

#include "core/panel/SilentSeams.h"

namespace zarq::assetgen {

struct InertPanel::Seams {
    VirtualClock Clock;
    SilentSound Sound;
    SilentPorts Ports;
    SilentWindow Window;
};

InertPanel::InertPanel() : seams_(std::make_unique<Seams>()) {
    form_ = std::make_unique<TForm1>(PanelSeams{seams_->Clock.Scheduler(), seams_->Sound,
                                                seams_->Ports, seams_->Window, nullptr});
}

InertPanel::~InertPanel() = default;

PictureFormat FormatOf(const std::string& key) {
    return key == "Im_Base" || key == "Puls_Speed" || key == "Im_Foto" ? PictureFormat::Jpeg
                                                                       : PictureFormat::Png;
}

std::vector<PictureSpec> PictureCatalogue(const TForm1& form) {
    std::vector<PictureSpec> specs;
    std::set<std::string> seen;
    for (const auto& control : form.Controls()) {
        const auto* image = dynamic_cast<const TImage*>(control.get());
        if (image == nullptr || image->Picture().empty()) continue;
        const TImage* carrier = form.FindElement(image->Picture());
        if (carrier == nullptr) {
            throw std::runtime_error(image->Name() + " shows picture " + image->Picture() +
                                     ", which no element carries");
        }
        const TRect& own = image->Bounds();
        const TRect& source = carrier->Bounds();
        if (own.Width != source.Width || own.Height != source.Height) {
            throw std::runtime_error(image->Name() + " shares the picture of " + carrier->Name() +
                                     " but has another size");
        }
        if (!seen.insert(carrier->Name()).second) continue;
        specs.push_back({carrier->Name(), source.Width, source.Height, carrier->Transparent(),
                         FormatOf(carrier->Name())});
    }
    return specs;
}

}  // namespace zarq::assetgen
