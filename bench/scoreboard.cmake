# The scoreboard server's benchmarks (bench/scoreboard/run.sh, with wrk): the maker of the true
# plays they submit.
add_executable(scoreboard_play_maker ${CMAKE_CURRENT_LIST_DIR}/scoreboard/PlayMaker.cpp)
target_link_libraries(scoreboard_play_maker PRIVATE zarq_record zarq_harness)
target_include_directories(scoreboard_play_maker PRIVATE ${CMAKE_SOURCE_DIR})
zarq_warnings(scoreboard_play_maker)
