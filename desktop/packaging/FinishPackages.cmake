# Run by cpack after it has made the packages (CPACK_POST_BUILD_SCRIPTS), to put right two
# control files of CPack's DEB generator: its Installed-Size counts a folder as 4 KiB and a
# symbolic link as the file it leads to (the data folder's link counts the manual program
# twice), and the md5sums of the -dbgsym package name its files by their full paths in the
# build folder. Each package is built again by dpkg-deb with dpkg's own measure (every file
# rounded up to whole KiB, one KiB for every other entry) and md5sums relative to the root.
# SOURCE_DATE_EPOCH, set for cpack by CPackSettings.cmake, keeps the archive's times.
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
    file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE "${tree}" "${tree}/*")
    list(SORT entries)
    set(kib 0)
    set(sums "")
    foreach(entry IN LISTS entries)
        if(entry MATCHES "^DEBIAN(/|$)")
            continue()
        endif()
        if(IS_SYMLINK "${tree}/${entry}" OR IS_DIRECTORY "${tree}/${entry}")
            math(EXPR kib "${kib} + 1")
        else()
            file(SIZE "${tree}/${entry}" bytes)
            math(EXPR kib "${kib} + (${bytes} + 1023) / 1024")
            file(MD5 "${tree}/${entry}" sum)
            string(APPEND sums "${sum}  ${entry}\n")
        endif()
    endforeach()
    file(READ "${tree}/DEBIAN/control" control)
    string(REGEX REPLACE "\nInstalled-Size: [0-9]+\n" "\nInstalled-Size: ${kib}\n" control
                         "${control}")
    file(WRITE "${tree}/DEBIAN/control" "${control}")
    file(WRITE "${tree}/DEBIAN/md5sums" "${sums}")
    execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip --build "${tree}" "${package}"
                    OUTPUT_QUIET RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "dpkg-deb could not build ${package} again")
    endif()
    file(REMOVE_RECURSE "${tree}")
endforeach()
