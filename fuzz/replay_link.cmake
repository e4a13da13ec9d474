# The replay link decoder: base64url, then our inflate (and our deflate on what it accepts).
zarq_fuzz(fuzz_replay_link SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/ReplayLinkFuzz.cpp LIBS zarq_record)
