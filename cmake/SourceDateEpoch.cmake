# The package's one time stamp: SOURCE_DATE_EPOCH as the build's environment gives it (read when
# cmake configures), or else the date of the changelog's latest entry. Every time that goes into
# the package (file times in the archive, the resources' times, the manual pages' date) is this
# one, so that the same sources give the same package whenever and wherever they are built.
#   ZARQ_SOURCE_DATE_EPOCH   seconds since 1970 (UTC)
#   ZARQ_RELEASE_DATE        the same day as YYYY-MM-DD
set(zarq_changelog ${CMAKE_SOURCE_DIR}/desktop/packaging/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${zarq_changelog})
if(DEFINED ENV{SOURCE_DATE_EPOCH} AND "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
    set(ZARQ_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
    # The trailer line of the first entry: " -- Name <mail>  Mon, 07 Dec 2026 12:00:00 +0000".
    file(STRINGS ${zarq_changelog} zarq_trailer REGEX "^ -- .*>  " LIMIT_COUNT 1)
    if(NOT zarq_trailer MATCHES ">  (.+)$")
        message(FATAL_ERROR "no date in the first entry of ${zarq_changelog}")
    endif()
    execute_process(COMMAND date -u -d "${CMAKE_MATCH_1}" +%s
                    OUTPUT_VARIABLE ZARQ_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE zarq_date_result)
    if(NOT zarq_date_result EQUAL 0 OR NOT ZARQ_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
        message(FATAL_ERROR "cannot read the date '${CMAKE_MATCH_1}' of ${zarq_changelog}")
    endif()
endif()
# string(TIMESTAMP) takes SOURCE_DATE_EPOCH from the environment.
set(zarq_saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
set(ENV{SOURCE_DATE_EPOCH} ${ZARQ_SOURCE_DATE_EPOCH})
string(TIMESTAMP ZARQ_RELEASE_DATE "%Y-%m-%d" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${zarq_saved_epoch}")
message(STATUS "SOURCE_DATE_EPOCH ${ZARQ_SOURCE_DATE_EPOCH} (${ZARQ_RELEASE_DATE})")
