# The reader of recordings (and the replay of what it accepts).
zarq_fuzz(fuzz_recording SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/RecordingFuzz.cpp LIBS zarq_record)
