# The build under emscripten: the toolkit-free core (panel, games, recordings, the region
# codec), its GoogleTest suites run as wasm under node, and the web edition in web/.
# GoogleTest is built here from Debian's sources, since Debian ships no wasm build of it.
set(ZARQ_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources (Debian: googletest)")

enable_testing()

add_custom_target(core_purity ALL
    COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_SOURCE_DIR} -P ${CMAKE_SOURCE_DIR}/cmake/CheckCorePurity.cmake
    COMMENT "Checking that the core includes no Qt, SDL or browser header")

set(ZARQ_CORE_DIR ${CMAKE_SOURCE_DIR}/core)
add_subdirectory(core)
# The sound synthesiser: the page makes its samples with it instead of fetching wave files.
add_subdirectory(tools/assetgen/sound EXCLUDE_FROM_ALL)
# Before the tests' link options, which are for node alone.
add_subdirectory(web)
if(EXISTS ${ZARQ_GTEST_SOURCE}/CMakeLists.txt)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    add_subdirectory(${ZARQ_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # GoogleTest defines GTest::gtest and GTest::gtest_main itself.
    include(GoogleTest)
    # The test programs read the source tree's files through node's own file system, and
    # grow their memory as the long random plays need.
    add_link_options(-sNODERAWFS=1 -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1)
    set(ZARQ_CORE_TESTS_ONLY ON)
    add_subdirectory(tests)
    # The measurement of --verify in wasm, run by `make bench`.
    add_executable(web_verify_bench bench/web/VerifyHour.cpp)
    target_link_libraries(web_verify_bench PRIVATE zarq_record zarq_harness)
    target_include_directories(web_verify_bench PRIVATE ${CMAKE_SOURCE_DIR})
    zarq_warnings(web_verify_bench)
else()
    message(WARNING "No GoogleTest sources in ${ZARQ_GTEST_SOURCE}: the core's tests are not built for wasm")
endif()
