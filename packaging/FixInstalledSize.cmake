# Run by cpack after it has made the packages (CPACK_POST_BUILD_SCRIPTS). CPack's DEB generator
# counts a folder as 4 KiB and a symbolic link as the file it leads to, so its Installed-Size
# comes out too large (the data folder's link counts the manual program twice). Each package is
# built again by dpkg-deb with dpkg's own measure in that field: every file rounded up to whole
# KiB, one KiB for every other entry. SOURCE_DATE_EPOCH, set for cpack by CPackSettings.cmake,
# keeps the archive's times.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package MATCHES "\\.d?deb$")
        continue()
    endif()
    set(tree "${package}.tree")
    file(REMOVE_RECURSE "${tree}")
    execute_process(COMMAND dpkg-deb --raw-extract "${package}" "${tree}" RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "dpkg-deb could not unpack ${package}")
    endif()
    file(GLOB_RECURSE entries LIST_DIRECTORIES true "${tree}/*")
    set(kib 0)
    foreach(entry IN LISTS entries)
        if(entry MATCHES "^${tree}/DEBIAN(/|$)")
            continue()
        endif()
        if(IS_SYMLINK "${entry}" OR IS_DIRECTORY "${entry}")
            math(EXPR kib "${kib} + 1")
        else()
            file(SIZE "${entry}" bytes)
            math(EXPR kib "${kib} + (${bytes} + 1023) / 1024")
        endif()
    endforeach()
    file(READ "${tree}/DEBIAN/control" control)
    string(REGEX REPLACE "\nInstalled-Size: [0-9]+\n" "\nInstalled-Size: ${kib}\n" control "${control}")
    file(WRITE "${tree}/DEBIAN/control" "${control}")
    execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip --build "${tree}" "${package}"
                    OUTPUT_QUIET RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "dpkg-deb could not build ${package} again")
    endif()
    file(REMOVE_RECURSE "${tree}")
endforeach()
