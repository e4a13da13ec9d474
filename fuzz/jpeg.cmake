# The JPEG decoder of the panel's photographs.
zarq_fuzz(fuzz_jpeg SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/JpegFuzz.cpp LIBS zarq_jpeg)
