# A sound file: our wave check, then SDL's loader.
zarq_fuzz(fuzz_wave SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/WaveFuzz.cpp
    ${CMAKE_SOURCE_DIR}/desktop/sound/WaveCheck.cpp
    LIBS PkgConfig::SDL2)
