# Debian's build flags, for the build the package is made from: the hardening Debian builds its
# packages with (stack protector, fortified functions, stack-clash and control-flow protection,
# read-only relocations bound at start-up) and the build folders mapped out of the file names
# that go into the binaries, so that two builds in different folders give the same bytes.
# The flags come from dpkg-buildflags where it exists, so that a maintainer's DEB_*FLAGS_*
# settings count; what bookworm's dpkg leaves out by default is added here.

# Appends the flags to the compile and link flags of every target defined after the call.
macro(zarq_use_debian_build_flags)
    find_program(ZARQ_DPKG_BUILDFLAGS dpkg-buildflags)
    if(ZARQ_DPKG_BUILDFLAGS)
        foreach(kind CFLAGS CXXFLAGS CPPFLAGS LDFLAGS)
            # Run in the source folder, which dpkg-buildflags maps to "." (-ffile-prefix-map).
            execute_process(
                COMMAND ${CMAKE_COMMAND} -E env
                        "DEB_BUILD_MAINT_OPTIONS=hardening=+all $ENV{DEB_BUILD_MAINT_OPTIONS}"
                        ${ZARQ_DPKG_BUILDFLAGS} --get ${kind}
                WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                OUTPUT_VARIABLE zarq_deb_${kind} OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE zarq_deb_result)
            if(NOT zarq_deb_result EQUAL 0)
                message(FATAL_ERROR "dpkg-buildflags --get ${kind} failed")
            endif()
        endforeach()
    else()
        set(zarq_deb_CFLAGS "-g -O2 -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -fstack-protector-strong -Wformat -Werror=format-security")
        set(zarq_deb_CXXFLAGS "${zarq_deb_CFLAGS}")
        set(zarq_deb_CPPFLAGS "-Wdate-time -D_FORTIFY_SOURCE=2")
        set(zarq_deb_LDFLAGS "-Wl,-z,relro -Wl,-z,now")
    endif()
    # Newer dpkg versions add these two with hardening=+all; bookworm's does not yet.
    set(zarq_deb_extra "")
    if(NOT zarq_deb_CXXFLAGS MATCHES "-fstack-clash-protection")
        string(APPEND zarq_deb_extra " -fstack-clash-protection")
    endif()
    if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|i.86)$"
       AND NOT zarq_deb_CXXFLAGS MATCHES "-fcf-protection")
        string(APPEND zarq_deb_extra " -fcf-protection")
    endif()
    # The build folder maps to "./build" wherever it lies. GCC tries the last map given first,
    # so this one wins over the source folder's for a build folder inside the sources.
    string(APPEND zarq_deb_extra " -ffile-prefix-map=${CMAKE_BINARY_DIR}=./build")
    string(APPEND CMAKE_C_FLAGS " ${zarq_deb_CPPFLAGS} ${zarq_deb_CFLAGS}${zarq_deb_extra}")
    string(APPEND CMAKE_CXX_FLAGS " ${zarq_deb_CPPFLAGS} ${zarq_deb_CXXFLAGS}${zarq_deb_extra}")
    string(APPEND CMAKE_EXE_LINKER_FLAGS " ${zarq_deb_LDFLAGS}")
    string(APPEND CMAKE_SHARED_LINKER_FLAGS " ${zarq_deb_LDFLAGS}")
    message(STATUS "Debian build flags: ${zarq_deb_CPPFLAGS} ${zarq_deb_CXXFLAGS}${zarq_deb_extra}; "
                   "linker: ${zarq_deb_LDFLAGS}")
endmacro()
