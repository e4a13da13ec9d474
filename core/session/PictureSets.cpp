// The picture sets' names and the choice of set.
#include "core/session/PictureSets.h"

#include "core/panel/Unit1.h"

namespace zarq {

int PictureSetFor(double deviceScale) {
    // A ratio a hair above a whole number is that number, not the next set.
    constexpr double kSlack = 1e-3;
    for (int set = 1; set < kLargestPictureSet; ++set) {
        if (deviceScale <= set + kSlack) return set;
    }
    return kLargestPictureSet;
}

std::string PictureStem(const std::string& key, int set) {
    return set == 1 ? key : key + "@" + std::to_string(set) + "x";
}

std::set<std::string> PictureKeysOf(const TForm1& form) {
    std::set<std::string> keys;
    for (const auto& control : form.Controls()) {
        if (const auto* image = dynamic_cast<const TImage*>(control.get())) {
            if (!image->Picture().empty()) keys.insert(image->Picture());
        }
    }
    return keys;
}

}  // namespace zarq
