# The reader of recordings (and the replay of what it accepts).
file(GLOB ZARQ_FUZZ_CORE_SOURCES ${ZARQ_CORE_DIR}/panel/*.cpp ${ZARQ_CORE_DIR}/games/*/*.cpp)
zarq_fuzz(fuzz_recording SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/RecordingFuzz.cpp
    ${ZARQ_CORE_DIR}/record/Recording.cpp
    ${ZARQ_CORE_DIR}/record/Recorder.cpp
    ${ZARQ_CORE_DIR}/record/Replayer.cpp
    ${ZARQ_CORE_DIR}/record/Verify.cpp
    ${ZARQ_FUZZ_CORE_SOURCES})
target_include_directories(fuzz_recording PRIVATE ${ZARQ_CORE_DIR}/panel)
