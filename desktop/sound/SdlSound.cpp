// The one way the program gets its sound output.
#include "desktop/sound/SdlSound.h"

namespace zarq {

std::unique_ptr<SdlSound> OpenSdlSound() {
    return std::make_unique<SdlSound>();
}

}  // namespace zarq
