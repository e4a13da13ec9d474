# Fails when a C++ file of the project differs from the layout in the repository's
# .clang-format, naming every such file (run `clang-format -i` on them to mend it).
#   cmake -DSOURCE_DIR=<repository> -DCLANG_FORMAT=<program> -P CheckFormat.cmake
if(NOT CLANG_FORMAT OR CLANG_FORMAT MATCHES "NOTFOUND$")
    message(STATUS "clang-format is not installed: the layout was not checked")
    return()
endif()
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
    ${SOURCE_DIR}/core/*.cpp ${SOURCE_DIR}/core/*.h
    ${SOURCE_DIR}/desktop/*.cpp ${SOURCE_DIR}/desktop/*.h
    ${SOURCE_DIR}/web/*.cpp ${SOURCE_DIR}/web/*.h
    ${SOURCE_DIR}/tests/*.cpp ${SOURCE_DIR}/tests/*.h
    ${SOURCE_DIR}/bench/*.cpp ${SOURCE_DIR}/bench/*.h
    ${SOURCE_DIR}/fuzz/*.cpp ${SOURCE_DIR}/fuzz/*.h
    ${SOURCE_DIR}/tools/*.cpp ${SOURCE_DIR}/tools/*.h)
list(FILTER sources EXCLUDE REGEX "node_modules/")
set(differ "")
foreach(file IN LISTS sources)
    execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${file}
                    WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
    if(NOT rc EQUAL 0)
        list(APPEND differ ${file})
    endif()
endforeach()
list(LENGTH sources checked)
if(differ)
    list(JOIN differ "\n  " names)
    message(FATAL_ERROR "laid out otherwise than .clang-format asks (clang-format -i mends them):\n  ${names}")
endif()
message(STATUS "${checked} C++ files laid out as .clang-format asks")
