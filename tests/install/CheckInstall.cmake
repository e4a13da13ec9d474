# Installs the build into a fresh prefix and checks that everything the program needs at run
# time lands where it looks for it, in Debian's layout for games.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
set(data "${PREFIX}/share/games/zarq-simulator")
foreach(path
        games/zarq-simulator
        games/zarq-simulator-manual
        share/games/zarq-simulator/readme.txt
        share/games/zarq-simulator/whatsnew.txt
        share/applications/zarq-simulator.desktop
        share/icons/hicolor/16x16/apps/zarq-simulator.png
        share/icons/hicolor/48x48/apps/zarq-simulator.png
        share/icons/hicolor/scalable/apps/zarq-simulator.svg
        share/icons/hicolor/256x256/apps/zarq-simulator.png
        share/man/man6/zarq-simulator.6.gz
        share/doc/zarq-simulator/copyright)
    if(NOT EXISTS "${PREFIX}/${path}")
        message(FATAL_ERROR "missing after install: ${path}")
    endif()
endforeach()
foreach(sample Beep Start Turn Disc Win Miss1 Miss2 End Over)
    if(NOT EXISTS "${data}/SOUND/${sample}.wav")
        message(FATAL_ERROR "missing after install: SOUND/${sample}.wav")
    endif()
endforeach()
# The menu opens "Manual" in the data folder: a link to the manual program beside the game.
file(REAL_PATH "${data}/Manual" manual)
file(REAL_PATH "${PREFIX}/games/zarq-simulator-manual" installed)
if(NOT IS_SYMLINK "${data}/Manual" OR NOT manual STREQUAL installed)
    message(FATAL_ERROR "${data}/Manual does not lead to the manual program")
endif()
file(STRINGS "${PREFIX}/share/applications/zarq-simulator.desktop" exec REGEX "^Exec=")
if(NOT exec STREQUAL "Exec=${PREFIX}/games/zarq-simulator;Exec=${PREFIX}/games/zarq-simulator-manual")
    message(FATAL_ERROR "the desktop entry starts '${exec}'")
endif()
file(REMOVE_RECURSE "${PREFIX}")
