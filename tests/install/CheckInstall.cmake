# Installs the build into a fresh prefix and checks that everything the program needs at run
# time lands where it looks for it.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
set(data "${PREFIX}/share/zarq-simulator")
foreach(path
        bin/zarq-simulator
        share/zarq-simulator/Manual
        share/zarq-simulator/readme.txt
        share/zarq-simulator/whatsnew.txt
        share/applications/zarq-simulator.desktop
        share/icons/hicolor/64x64/apps/zarq-simulator.png)
    if(NOT EXISTS "${PREFIX}/${path}")
        message(FATAL_ERROR "missing after install: ${path}")
    endif()
endforeach()
foreach(sample Beep Start Turn Disc Win Miss1 Miss2 End Over)
    if(NOT EXISTS "${data}/SOUND/${sample}.wav")
        message(FATAL_ERROR "missing after install: SOUND/${sample}.wav")
    endif()
endforeach()
file(STRINGS "${PREFIX}/share/applications/zarq-simulator.desktop" exec REGEX "^Exec=")
if(NOT exec STREQUAL "Exec=zarq-simulator")
    message(FATAL_ERROR "the desktop entry starts '${exec}'")
endif()
file(REMOVE_RECURSE "${PREFIX}")
