# Helpers of the kycamera command-line tests, run as `cmake -P` scripts by CTest.
# Inputs: KYCAMERA (the program), EMULATOR (empty, or what runs it: Wine), FFPROBE (empty when
# absent), WORK_DIR (a directory the test may wipe).

# Starts the test in an empty WORK_DIR.
function(ky_cli_fresh_work_dir)
    file(REMOVE_RECURSE "${WORK_DIR}")
    file(MAKE_DIRECTORY "${WORK_DIR}")
endfunction()

# ky_cli_run(<prefix> [INPUT <file>] ARGS <arg>...): runs kycamera in WORK_DIR and sets
# <prefix>_RC, <prefix>_OUT and <prefix>_ERR in the caller's scope.
function(ky_cli_run prefix)
    cmake_parse_arguments(RUN "" "INPUT" "ARGS" ${ARGN})
    set(input)
    if(RUN_INPUT)
        set(input INPUT_FILE "${RUN_INPUT}")
    endif()
    execute_process(COMMAND ${EMULATOR} "${KYCAMERA}" ${RUN_ARGS}
        WORKING_DIRECTORY "${WORK_DIR}" ${input}
        RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 240)
    # Windows programs under Wine end their lines with CR LF.
    string(REPLACE "\r\n" "\n" out "${out}")
    string(REPLACE "\r\n" "\n" err "${err}")
    message(STATUS "kycamera ${RUN_ARGS}: exit ${rc}\n--- out\n${out}--- err\n${err}---")
    set(${prefix}_RC "${rc}" PARENT_SCOPE)
    set(${prefix}_OUT "${out}" PARENT_SCOPE)
    set(${prefix}_ERR "${err}" PARENT_SCOPE)
endfunction()

function(ky_expect_equal actual expected what)
    if(NOT "${actual}" STREQUAL "${expected}")
        message(FATAL_ERROR "${what}: expected '${expected}', got '${actual}'")
    endif()
endfunction()

# The text holds the regular expression somewhere.
function(ky_expect_match text regex what)
    if(NOT "${text}" MATCHES "${regex}")
        message(FATAL_ERROR "${what}: '${regex}' not found in:\n${text}")
    endif()
endfunction()

function(ky_expect_no_match text regex what)
    if("${text}" MATCHES "${regex}")
        message(FATAL_ERROR "${what}: '${regex}' should not be in:\n${text}")
    endif()
endfunction()

# How often the regular expression occurs in the text, into <out_var>.
function(ky_count_matches text regex out_var)
    string(REGEX MATCHALL "${regex}" matches "${text}")
    list(LENGTH matches count)
    set(${out_var} ${count} PARENT_SCOPE)
endfunction()

# The bare names of the files in the directory matching the glob, sorted.
function(ky_list_files dir glob out_var)
    file(GLOB paths RELATIVE "${dir}" "${dir}/${glob}")
    list(SORT paths)
    set(${out_var} "${paths}" PARENT_SCOPE)
endfunction()

# ffprobe's "key=value" lines for the first video stream of the file, into <out_var>; empty
# without ffprobe.
function(ky_ffprobe file entries out_var)
    set(${out_var} "" PARENT_SCOPE)
    if(NOT FFPROBE)
        return()
    endif()
    execute_process(COMMAND "${FFPROBE}" -v error -count_frames -select_streams v:0
        -show_entries "stream=${entries}" -of default=noprint_wrappers=1 "${file}"
        RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "ffprobe cannot read ${file}: ${err}")
    endif()
    set(${out_var} "${out}" PARENT_SCOPE)
endfunction()
