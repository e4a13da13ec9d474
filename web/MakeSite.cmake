# Puts the site together in SITE: the page's files, the pictures (1x, 2x, 3x) as WebP, the panel's
# outline and the icons, and the service worker with the list of files it keeps
# at installation and a version that changes whenever any file of the site does. The sounds are
# not files of the site: the page makes them with the synthesiser compiled into zarq.wasm.
#   cmake -DSOURCE=<source tree> -DSITE=<site folder> -DVERSION=<version> -P MakeSite.cmake
# Without this line a script runs under the oldest policies, which would expand the worker's
# @VERSION@ placeholder below before it is looked for.
cmake_minimum_required(VERSION 3.25)

find_program(CWEBP cwebp)
if(NOT CWEBP)
    message(FATAL_ERROR "cwebp is needed to build the site's pictures (Debian package webp; "
                        "scripts/install-deps.sh installs it)")
endif()

file(GLOB page_files ${SOURCE}/web/site/*)
file(COPY ${page_files} DESTINATION ${SITE})
file(COPY ${SOURCE}/assets/icon DESTINATION ${SITE})
# What earlier builds put there and the site no longer has.
file(REMOVE_RECURSE ${SITE}/SOUND ${SITE}/docs)
file(REMOVE ${SITE}/about.html ${SITE}/document.html)
file(GLOB stale ${SITE}/pictures/*.png ${SITE}/pictures/*.jpg)
if(stale)
    file(REMOVE ${stale})
endif()

# The pictures in WebP: the photographs (JPEG) and the boxed toy of the start dialog lossy, every
# drawing lossless and exact, since a transparent element is keyed out by its exact colour. The
# panel is cut with the outline's path (Outline.svg); its coverage pictures are the desktop's.
file(MAKE_DIRECTORY ${SITE}/pictures)
file(COPY ${SOURCE}/assets/pictures/Outline.svg DESTINATION ${SITE}/pictures)
file(GLOB pictures ${SOURCE}/assets/pictures/*.jpg ${SOURCE}/assets/pictures/*.png)
foreach(picture IN LISTS pictures)
    get_filename_component(name ${picture} NAME)
    if(name MATCHES "^Outline")
        continue()
    endif()
    string(REGEX REPLACE "\\.(jpg|png)$" ".webp" webp ${SITE}/pictures/${name})
    if(EXISTS ${webp} AND ${webp} IS_NEWER_THAN ${picture} AND ${webp} IS_NEWER_THAN ${CMAKE_CURRENT_LIST_FILE})
        continue()
    endif()
    if(name MATCHES "\\.jpg$" OR name MATCHES "^Im_Piccina")
        set(options -q 80 -m 6)
    else()
        set(options -lossless -exact -m 6)
    endif()
    execute_process(COMMAND ${CWEBP} -quiet ${options} ${picture} -o ${webp}
                    RESULT_VARIABLE failed ERROR_VARIABLE error)
    if(failed)
        file(REMOVE ${webp})
        message(FATAL_ERROR "cwebp could not convert ${picture}: ${error}")
    endif()
endforeach()

# Kept at installation: the page (About, Readme and What's new are inside it) with every module
# of its script, and the program, the outline and the page's small icon. The pictures of the set
# a screen needs (and the start dialog's, the About sheet's) the page hands
# to the worker once they are fetched; so a phone keeps its one set, not all three.
file(GLOB page_modules RELATIVE ${SOURCE}/web/site ${SOURCE}/web/site/*.js)
# The scoreboard's module is loaded only from a server that has one, and kept once it is.
list(REMOVE_ITEM page_modules sw.js board.js)
set(kept ./ index.html style.css ${page_modules} zarq.js zarq.wasm
    manifest.webmanifest pictures/Outline.svg icon/zarq-simulator-64.png)
foreach(f IN LISTS kept)
    if(NOT f STREQUAL "./" AND NOT EXISTS ${SITE}/${f})
        message(FATAL_ERROR "the worker would keep ${f}, which the site does not have")
    endif()
endforeach()

# The version: every file of the site, by name and content, so that a changed picture the worker
# kept on the way is fetched anew too.
file(GLOB_RECURSE all RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM all sw.js site.stamp)
list(SORT all)
set(hashes "")
foreach(f IN LISTS all)
    file(SHA256 ${SITE}/${f} h)
    string(APPEND hashes "${f} ${h}\n")
endforeach()
string(SHA256 version "${VERSION}\n${hashes}")
string(SUBSTRING ${version} 0 16 version)
list(TRANSFORM kept PREPEND "  \"")
list(TRANSFORM kept APPEND "\",")
string(REPLACE ";" "\n" list_text "${kept}")
file(READ ${SOURCE}/web/site/sw.js worker)
string(REPLACE "/*@KEPT@*/" "${list_text}" worker "${worker}")
string(REPLACE "@VERSION@" "${version}" worker "${worker}")
if(worker MATCHES "@VERSION@|@KEPT@")
    message(FATAL_ERROR "the service worker's placeholders were not all filled")
endif()
file(WRITE ${SITE}/sw.js "${worker}")
