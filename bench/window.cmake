# Painting of the panel window, offscreen: one changed element, and a whole frame.
zarq_bench(bench_window
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/WindowBench.cpp ${CMAKE_CURRENT_LIST_DIR}/QtBenchMain.cpp
        ${CMAKE_SOURCE_DIR}/tests/app/TestPictures.cpp
    LIBS zarq_app zarq_assets zarq_harness)
target_compile_definitions(bench_window PRIVATE ZARQ_ASSET_DIR="${CMAKE_SOURCE_DIR}/assets")
