# Verification of a recording: an hour of play checked headless, as --verify does it.
zarq_bench(bench_verify SOURCES ${CMAKE_CURRENT_LIST_DIR}/VerifyBench.cpp LIBS zarq_record zarq_harness)
