// The sound library's calls written to the log category "zarq.sound" before they are passed
// on, so that `QT_LOGGING_RULES="zarq.sound.debug=true"` shows what the toy asked of the
// sound output and when it was shut down. Costs one flag test per call when the log is off.
#pragma once

#include "core/panel/Seams.h"

namespace zarq {

class LoggedSound final : public SoundLibrary {
  public:
    explicit LoggedSound(SoundLibrary& inner) : inner_(inner) {}

    bool FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned flags) override;
    bool FSOUND_SetOutput(int outputtype) override;
    FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned mode,
                                      int length) override;
    int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample) override;
    bool FSOUND_StopSound(int channel) override;
    void FSOUND_Sample_Free(FSOUND_SAMPLE* sample) override;
    void FSOUND_Close() override;

  private:
    SoundLibrary& inner_;
};

}  // namespace zarq
