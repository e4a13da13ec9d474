# The stored outline's codec.
zarq_fuzz(fuzz_region_data SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/RegionDataFuzz.cpp
    ${CMAKE_SOURCE_DIR}/skin/RegionData.cpp)
