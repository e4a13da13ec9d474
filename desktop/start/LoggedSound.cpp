// Each call logged with its arguments and result.
#include "desktop/start/LoggedSound.h"

#include <QLoggingCategory>

namespace zarq {

namespace {
Q_LOGGING_CATEGORY(lcSound, "zarq.sound", QtWarningMsg)
}

bool LoggedSound::FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned flags) {
    const bool ok = inner_.FSOUND_Init(mixrate, maxsoftwarechannels, flags);
    qCDebug(lcSound, "FSOUND_Init(%d, %d) -> %s", mixrate, maxsoftwarechannels,
            ok ? "true" : "false");
    return ok;
}

bool LoggedSound::FSOUND_SetOutput(int outputtype) {
    const bool ok = inner_.FSOUND_SetOutput(outputtype);
    qCDebug(lcSound, "FSOUND_SetOutput(%d) -> %s", outputtype, ok ? "true" : "false");
    return ok;
}

FSOUND_SAMPLE* LoggedSound::FSOUND_Sample_Load(int index, const char* name, unsigned mode,
                                               int length) {
    FSOUND_SAMPLE* sample = inner_.FSOUND_Sample_Load(index, name, mode, length);
    qCDebug(lcSound, "FSOUND_Sample_Load(%s) -> %s", name != nullptr ? name : "",
            sample != nullptr ? "loaded" : "null");
    return sample;
}

int LoggedSound::FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample) {
    const int used = inner_.FSOUND_PlaySound(channel, sample);
    qCDebug(lcSound, "FSOUND_PlaySound(%d) -> %d", channel, used);
    return used;
}

bool LoggedSound::FSOUND_StopSound(int channel) {
    const bool ok = inner_.FSOUND_StopSound(channel);
    qCDebug(lcSound, "FSOUND_StopSound(%d)", channel);
    return ok;
}

void LoggedSound::FSOUND_Sample_Free(FSOUND_SAMPLE* sample) {
    inner_.FSOUND_Sample_Free(sample);
    qCDebug(lcSound, "FSOUND_Sample_Free");
}

void LoggedSound::FSOUND_Close() {
    inner_.FSOUND_Close();
    qCDebug(lcSound, "FSOUND_Close");
}

}  // namespace zarq
