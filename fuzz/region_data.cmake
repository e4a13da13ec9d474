# The stored outline's codec.
zarq_fuzz(fuzz_region_data SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/RegionDataFuzz.cpp LIBS zarq_skin_codec)
