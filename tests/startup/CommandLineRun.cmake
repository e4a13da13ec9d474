# Runs PROGRAM from WORKDIR in an empty environment, so with no display and no Qt platform
# chosen: --version must answer and --no-such-option must end with one line on stderr and
# status 2. A program that opened its window before reading the command line fails here.
if(NOT WORKDIR)
    set(WORKDIR /)
endif()
execute_process(COMMAND env -i ${PROGRAM} --version WORKING_DIRECTORY ${WORKDIR}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT out STREQUAL "Zarq (Keldo) Simulator ${VERSION}\n" OR err)
    message(FATAL_ERROR "--version gave status ${status}, output '${out}', errors '${err}'")
endif()
execute_process(COMMAND env -i ${PROGRAM} --no-such-option WORKING_DIRECTORY ${WORKDIR}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 2 OR out OR NOT err MATCHES "^[^\n]*--no-such-option[^\n]*\n$")
    message(FATAL_ERROR "--no-such-option gave status ${status}, output '${out}', errors '${err}'")
endif()
