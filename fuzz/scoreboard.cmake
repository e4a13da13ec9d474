# The scoreboard's submission path: the name from the query string, then the recording's check.
zarq_fuzz(fuzz_scoreboard SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/ScoreboardFuzz.cpp
          LIBS zarq_scoreboard_check)
