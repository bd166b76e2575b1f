# Nothing lost in the shell: a recording survives remove and dir, quick takes get names of their
# own, nothing is written without a usable directory, non-ASCII paths and script syntax work.
include(${CMAKE_CURRENT_LIST_DIR}/KyCliSupport.cmake)
ky_cli_fresh_work_dir()

# The running recording is the one file in the directory: remove and dir (same or another
# directory) during it must leave it alone, and it is filed at stop.
file(WRITE "${WORK_DIR}/keep.txt" "dir keep\nmode camera video\nstart\nwait 1\nremove video\ndir keep\ndir other\nwait 0.5\nstop\n")
ky_cli_run(keep INPUT "${WORK_DIR}/keep.txt" ARGS shell)
ky_list_files("${WORK_DIR}/keep" "*" kept)
ky_expect_match("${kept}" "^[0-9]+-[0-9]+\\.avi$" "the recording is filed, nothing else is left")
ky_expect_match("${keep_OUT}" "stop: true, filed [^\n]*${kept}\n" "stop files the recording")
ky_count_matches("${keep_ERR}" "dir: refused while a recording runs" refusals)
ky_expect_equal("${refusals}" 2 "dir during the recording is refused")
ky_expect_equal("${keep_RC}" 1 "exit code of the refused dir")
if(EXISTS "${WORK_DIR}/other")
    message(FATAL_ERROR "a refused dir created its directory")
endif()

# Six takes in a row, each shorter than a second, and two pictures: every one gets a file.
file(WRITE "${WORK_DIR}/quick.txt" "dir quick\nmode camera video\n")
foreach(i RANGE 1 6)
    file(APPEND "${WORK_DIR}/quick.txt" "start\nwait 0.15\nstop\n")
endforeach()
file(APPEND "${WORK_DIR}/quick.txt" "mode camera picture\nstart\nstart\n")
ky_cli_run(quick INPUT "${WORK_DIR}/quick.txt" ARGS shell)
ky_expect_equal("${quick_RC}" 0 "quick takes exit code")
ky_list_files("${WORK_DIR}/quick" "*.avi" videos)
ky_list_files("${WORK_DIR}/quick" "*.jpg" pictures)
list(LENGTH videos video_count)
list(LENGTH pictures picture_count)
ky_expect_equal("${video_count}" 6 "six quick recordings, six files")
ky_expect_equal("${picture_count}" 2 "two pictures in a row, two files")

# Nothing is written without a usable directory: none given, then one that cannot be made.
file(WRITE "${WORK_DIR}/plain" "not a directory")
file(WRITE "${WORK_DIR}/nodir.txt" "mode camera picture\nstart\ndir plain/sub\nstart\nremove\n")
ky_cli_run(nodir INPUT "${WORK_DIR}/nodir.txt" ARGS shell)
ky_expect_equal("${nodir_RC}" 3 "writing without a media directory")
ky_count_matches("${nodir_ERR}" "refused: no usable media directory" refused)
ky_expect_equal("${refused}" 3 "start, start and remove refused")
ky_list_files("${WORK_DIR}" "*.jpg" strays)
ky_expect_equal("${strays}" "" "pictures in the current directory")

# Script syntax (trailing comments, CRLF, both quotes) and a non-ASCII directory.
file(WRITE "${WORK_DIR}/syntax.txt" "dir 'mü d' # comment\r\nmode camera picture\r\nstart\r\ndir \"q 2\"\r\n")
ky_cli_run(syntax INPUT "${WORK_DIR}/syntax.txt" ARGS shell)
ky_expect_equal("${syntax_RC}" 0 "syntax exit code")
ky_expect_equal("${syntax_ERR}" "" "syntax errors")
ky_list_files("${WORK_DIR}/mü d" "*.jpg" picture)
ky_expect_match("${picture}" "^[0-9]+-[0-9]+\\.jpg$" "picture in the non-ASCII directory")
ky_expect_match("${syntax_OUT}" "dir [^\n]*mü d: true" "non-ASCII directory answered")
if(NOT IS_DIRECTORY "${WORK_DIR}/q 2")
    message(FATAL_ERROR "a double-quoted directory name was not used as it is")
endif()
