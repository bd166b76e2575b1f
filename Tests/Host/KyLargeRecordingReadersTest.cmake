# A recording past 4 GiB as other programs read it: ffprobe decodes every frame, GStreamer's
# avidemux delivers every one, both with duration = frames / 18, and the main header says
# 1000000 / 18 microseconds per frame. The host test writes the file; this script reads it and
# deletes it.
# cmake -DTEST_EXE=... [-DEMULATOR=...] [-DDRIVE=Z:] -DWORK_DIR=... -P THIS_FILE
set(_file "${WORK_DIR}/large.avi")

macro(ky_fail text)
    file(REMOVE_RECURSE "${WORK_DIR}")
    message(FATAL_ERROR "${text}")
endmacro()

# Microseconds from a decimal number of seconds such as 164.111111.
function(ky_micros seconds out)
    if(NOT seconds MATCHES "^([0-9]+)\\.([0-9]+)$")
        set(${out} -1 PARENT_SCOPE)
        return()
    endif()
    set(_whole "${CMAKE_MATCH_1}")
    string(SUBSTRING "${CMAKE_MATCH_2}000000" 0 6 _fraction)
    math(EXPR _us "${_whole} * 1000000 + ${_fraction}")
    set(${out} ${_us} PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env "KY_TEST_LARGE_AVI=${DRIVE}${_file}"
        ${EMULATOR} ${TEST_EXE}
        --gtest_filter=KyCVideoCreatorLargeFileTest.RecordingPastFourGibibytesForOutsideReaders
    RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _out)
if(NOT _rc EQUAL 0 OR NOT EXISTS "${_file}.frames")
    ky_fail("writing the recording failed (${_rc}):\n${_out}")
endif()
file(STRINGS "${_file}.frames" _frames LIMIT_COUNT 1)
file(SIZE "${_file}" _size)
message(STATUS "recording: ${_size} bytes, ${_frames} frames")
math(EXPR _expected_us "${_frames} * 1000000 / 18")

# The main header (RIFF, LIST hdrl, avih) opens with the microseconds per frame, little-endian:
# 1000000 / 18, which FFmpeg's muxer rounds down to 55555 (55556 rounded to nearest).
file(READ "${_file}" _head LIMIT 36 HEX)
string(SUBSTRING "${_head}" 64 8 _hex)
string(REGEX REPLACE "(..)(..)(..)(..)" "\\4\\3\\2\\1" _hex "${_hex}")
math(EXPR _per_frame "0x${_hex}")
message(STATUS "main header: ${_per_frame} microseconds per frame")
if(NOT _per_frame EQUAL 55555 AND NOT _per_frame EQUAL 55556)
    ky_fail("main header: ${_per_frame} microseconds per frame, not 1000000 / 18")
endif()

find_program(_ffprobe ffprobe)
execute_process(
    COMMAND ${_ffprobe} -v error -count_frames -select_streams v:0
        -show_entries stream=codec_name,width,height,r_frame_rate,nb_frames,nb_read_frames,duration
        -show_entries format=duration,size -of default=noprint_wrappers=1 ${_file}
    RESULT_VARIABLE _rc OUTPUT_VARIABLE _probe ERROR_VARIABLE _probe_err)
message(STATUS "ffprobe -count_frames:\n${_probe}${_probe_err}")
if(NOT _rc EQUAL 0 OR NOT _probe_err STREQUAL "")
    ky_fail("ffprobe did not read the file cleanly")
endif()
if(NOT _probe MATCHES "nb_read_frames=${_frames}\n" OR NOT _probe MATCHES "r_frame_rate=18/1\n")
    ky_fail("ffprobe counted other frames or another rate than ${_frames} at 18/1")
endif()
string(REGEX MATCH "\nduration=([0-9.]+)" _ "${_probe}")
ky_micros("${CMAKE_MATCH_1}" _probe_us)
math(EXPR _diff "${_probe_us} - ${_expected_us}")
if(_diff GREATER 1 OR _diff LESS -1)
    ky_fail("ffprobe: stream duration ${_probe_us} us, expected ${_expected_us}")
endif()

find_program(_gst gst-launch-1.0)
execute_process(
    COMMAND ${_gst} -v filesrc location=${_file} ! avidemux ! fakesink sync=false silent=false
    RESULT_VARIABLE _rc OUTPUT_VARIABLE _gst_out ERROR_VARIABLE _gst_err)
string(REGEX MATCHALL "last-message = chain" _buffers "${_gst_out}")
list(LENGTH _buffers _gst_frames)
string(REGEX MATCH "duration=\\(guint64\\)([0-9]+)" _ "${_gst_out}")
set(_gst_ns "${CMAKE_MATCH_1}")
message(STATUS "gst-launch-1.0 avidemux: ${_gst_frames} buffers, duration ${_gst_ns} ns")
if(NOT _rc EQUAL 0 OR NOT _gst_out MATCHES "Got EOS")
    ky_fail("GStreamer did not read the file to its end (${_rc}):\n${_gst_err}")
endif()
if(NOT _gst_frames EQUAL _frames OR _gst_ns STREQUAL "")
    ky_fail("GStreamer delivered ${_gst_frames} frames, expected ${_frames}")
endif()
math(EXPR _diff "${_gst_ns} / 1000 - ${_expected_us}")
if(_diff GREATER 1 OR _diff LESS -1)
    ky_fail("GStreamer: duration ${_gst_ns} ns, expected ${_expected_us} us")
endif()

file(REMOVE_RECURSE "${WORK_DIR}")
