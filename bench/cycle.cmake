# The cycle race headless on the virtual clock: simulated seconds of racing per wall second.
zarq_bench(bench_cycle SOURCES ${CMAKE_CURRENT_LIST_DIR}/CycleRaceBench.cpp LIBS zarq_core)
