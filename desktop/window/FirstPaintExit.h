// A switch for measuring start-up: with ZARQ_QUIT_AFTER_FIRST_PAINT set in the environment, the
// program ends as soon as its first window has been painted (without cleaning up), so a timing
// program can compare our start with that of the smallest Qt window.
#pragma once

namespace zarq {

// Call once the QApplication exists; does nothing unless the variable is set.
void QuitAfterFirstPaintIfAsked();

}  // namespace zarq
