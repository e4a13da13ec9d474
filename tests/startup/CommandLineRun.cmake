# Runs PROGRAM from WORKDIR in an empty environment, so with no display and no Qt platform
# chosen: --version must answer VERSION_TEXT (the simulator's by default) and --no-such-option
# must end with one line on stderr and status 2, and so must a start without any display;
# --verify of RECORDING must replay it and match (0), and of a missing file end with 2.
# A program that opened its window, display or sound before reading the command line fails here.
if(NOT WORKDIR)
    set(WORKDIR /)
endif()
if(NOT VERSION_TEXT)
    set(VERSION_TEXT "Zarq (Keldo) Simulator ${VERSION}")
endif()
execute_process(COMMAND env -i ${PROGRAM} --version WORKING_DIRECTORY ${WORKDIR}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT out STREQUAL "${VERSION_TEXT}\n" OR err)
    message(FATAL_ERROR "--version gave status ${status}, output '${out}', errors '${err}'")
endif()
execute_process(COMMAND env -i ${PROGRAM} --no-such-option WORKING_DIRECTORY ${WORKDIR}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 2 OR out OR NOT err MATCHES "^[^\n]*--no-such-option[^\n]*\n$")
    message(FATAL_ERROR "--no-such-option gave status ${status}, output '${out}', errors '${err}'")
endif()
execute_process(COMMAND env -i ${PROGRAM} WORKING_DIRECTORY ${WORKDIR}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 2 OR out OR NOT err MATCHES "^[^\n]*DISPLAY[^\n]*\n$")
    message(FATAL_ERROR "no display gave status ${status}, output '${out}', errors '${err}'")
endif()
if(RECORDING)
    execute_process(COMMAND env -i ${PROGRAM} --verify ${RECORDING} WORKING_DIRECTORY ${WORKDIR}
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT status EQUAL 0 OR NOT out MATCHES "score +15\n" OR err)
        message(FATAL_ERROR "--verify gave status ${status}, output '${out}', errors '${err}'")
    endif()
    execute_process(COMMAND env -i ${PROGRAM} --verify ${RECORDING}.missing WORKING_DIRECTORY ${WORKDIR}
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT status EQUAL 2 OR NOT err MATCHES "cannot open")
        message(FATAL_ERROR "--verify of a missing file gave status ${status}, errors '${err}'")
    endif()
endif()
