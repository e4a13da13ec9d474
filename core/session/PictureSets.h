// The panel's pictures come in sets drawn 1, 2 and 3 times finer; which set a panel drawn at a
// given pixel ratio paints from, and what a picture of a set is called. The front ends add
// their own folder and file type (the program's PNG and JPEG, the site's WebP).
#pragma once

#include <set>
#include <string>

namespace zarq {

class TForm1;

inline constexpr int kLargestPictureSet = 3;

// The set for a panel drawn at `deviceScale` device pixels per toy pixel: the nearest set at
// least as fine (1.25 -> 2, 2.5 -> 3), the finest above 3.
int PictureSetFor(double deviceScale);

// The name of a picture in a set, without a file type: "Im_Base", "Im_Zarq5@2x".
std::string PictureStem(const std::string& key, int set);

// Every non-empty picture key that any element of the panel shows, now or later (the digit
// places borrow the pictures of the digit sources, which are keys of their own).
std::set<std::string> PictureKeysOf(const TForm1& form);

}  // namespace zarq
