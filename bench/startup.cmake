# Start to first painted window: the simulator against the smallest Qt widgets window.
add_executable(startup_minimal_window ${CMAKE_CURRENT_LIST_DIR}/MinimalWindow.cpp
    ${CMAKE_SOURCE_DIR}/desktop/window/FirstPaintExit.cpp)
target_include_directories(startup_minimal_window PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(startup_minimal_window PRIVATE Qt6::Widgets)
zarq_warnings(startup_minimal_window)
zarq_bench(bench_startup SOURCES ${CMAKE_CURRENT_LIST_DIR}/StartupBench.cpp)
add_dependencies(bench_startup startup_minimal_window zarq-simulator)
target_compile_definitions(bench_startup PRIVATE
    ZARQ_SIMULATOR="$<TARGET_FILE:zarq-simulator>"
    ZARQ_MINIMAL_WINDOW="$<TARGET_FILE:startup_minimal_window>")
