# The JPEG decoder of the panel's photographs.
zarq_fuzz(fuzz_jpeg SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/JpegFuzz.cpp
    ${CMAKE_SOURCE_DIR}/desktop/window/JpegDecoder.cpp
    LIBS PkgConfig::JPEG)
