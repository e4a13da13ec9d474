# Game controller polling on a real event loop: CPU share with none and with one idle controller.
zarq_bench(bench_controller SOURCES ${CMAKE_CURRENT_LIST_DIR}/ControllerBench.cpp
           ${CMAKE_CURRENT_LIST_DIR}/QtBenchMain.cpp
           LIBS zarq_app zarq_input zarq_harness PkgConfig::SDL2)
