# The toy's Suona through the real sound library (SDL's dummy driver unless told
# otherwise), with allocations counted, the speaker tone's share of the audio thread and the
# callback's whole mix of the hum and eight samples.
zarq_bench(bench_sound SOURCES ${CMAKE_CURRENT_LIST_DIR}/SoundBench.cpp
    LIBS zarq_sound zarq_harness PkgConfig::SDL2)
target_compile_definitions(bench_sound PRIVATE ZARQ_BUILD_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(bench_sound zarq_sound_assets)
