zarq_bench(bench_poweron SOURCES ${CMAKE_CURRENT_LIST_DIR}/PowerOnClockBench.cpp LIBS zarq_app)
