# The reader of recordings (and the replay of what it accepts).
file(GLOB ZARQ_FUZZ_CORE_SOURCES ${CMAKE_SOURCE_DIR}/panel/*.cpp ${CMAKE_SOURCE_DIR}/games/*/*.cpp)
zarq_fuzz(fuzz_recording SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/RecordingFuzz.cpp
    ${CMAKE_SOURCE_DIR}/record/Recording.cpp
    ${CMAKE_SOURCE_DIR}/record/Recorder.cpp
    ${CMAKE_SOURCE_DIR}/record/Replayer.cpp
    ${CMAKE_SOURCE_DIR}/record/Verify.cpp
    ${ZARQ_FUZZ_CORE_SOURCES})
target_include_directories(fuzz_recording PRIVATE ${CMAKE_SOURCE_DIR}/panel)
