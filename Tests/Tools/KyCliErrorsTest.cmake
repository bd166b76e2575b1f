# kycamera's errors: one line on standard error, the documented exit code, nothing half done.
include(${CMAKE_CURRENT_LIST_DIR}/KyCliSupport.cmake)
ky_cli_fresh_work_dir()

# Help and version.
ky_cli_run(help ARGS --help)
ky_expect_equal("${help_RC}" 0 "--help exit code")
ky_expect_match("${help_OUT}" "usage: kycamera demo" "--help text")
ky_expect_match("${help_OUT}" "exit codes:" "--help lists the exit codes")
ky_cli_run(version ARGS --version)
string(REPLACE "." "\\." _version "${VERSION}")
ky_expect_match("${version_OUT}" "^kycamera ${_version}[\r\n]" "--version")

# Bad command lines: exit code 2, one line naming the mistake, nothing created.
ky_cli_run(none ARGS)
ky_expect_equal("${none_RC}" 2 "no command")
ky_expect_equal("${none_ERR}" "kycamera: no command given: kycamera demo, kycamera shell or kycamera --help\n" "no command")
ky_cli_run(unknown ARGS record)
ky_expect_equal("${unknown_RC}" 2 "unknown command")
ky_expect_match("${unknown_ERR}" "^kycamera: unknown command 'record'" "unknown command")
ky_cli_run(size ARGS demo --size 0x480)
ky_expect_equal("${size_RC}" 2 "bad size")
ky_expect_match("${size_ERR}" "^kycamera: --size needs WIDTHxHEIGHT" "bad size")
ky_cli_run(option ARGS demo --colour)
ky_expect_equal("${option_RC}" 2 "unknown option")
ky_expect_match("${option_ERR}" "unknown option --colour" "unknown option")
ky_cli_run(fault ARGS demo --inject-fault nonsense)
ky_expect_equal("${fault_RC}" 2 "malformed fault")
if(EXISTS "${WORK_DIR}/media")
    message(FATAL_ERROR "a refused command line created the media directory")
endif()

# A media directory that cannot be a directory: a regular file stands in its way.
file(WRITE "${WORK_DIR}/plain" "not a directory")
ky_cli_run(under_file ARGS demo --media plain/media)
ky_expect_equal("${under_file_RC}" 3 "media directory under a file")
ky_expect_match("${under_file_ERR}" "^kycamera: cannot create the media directory plain/media: " "media directory under a file")
file(WRITE "${WORK_DIR}/dir.txt" "dir plain/media\nstatus\n")
ky_cli_run(shell_dir INPUT "${WORK_DIR}/dir.txt" ARGS shell)
ky_expect_equal("${shell_dir_RC}" 3 "shell dir under a file")
ky_expect_match("${shell_dir_ERR}" "kycamera: line 1: cannot create the media directory" "shell dir under a file")
ky_cli_run(is_file ARGS demo --media plain)
ky_expect_equal("${is_file_RC}" 3 "media directory is a file")
ky_expect_match("${is_file_ERR}" "the media directory plain is not a directory" "media directory is a file")

# A directory that cannot be written (as root no permission stops us: the host layer fails the
# write on purpose).
ky_cli_run(read_only ARGS demo --media ro --inject-fault open:.kycamera-probe:5)
ky_expect_equal("${read_only_RC}" 3 "unwritable media directory")
ky_expect_match("${read_only_ERR}" "^kycamera: cannot write into the media directory ro " "unwritable media directory")
ky_list_files("${WORK_DIR}/ro" "*" left)
ky_expect_equal("${left}" "" "files left in the unwritable directory")

# Cameras that are not there.
ky_cli_run(no_camera ARGS demo --camera /dev/kycamera-no-such-video)
ky_expect_equal("${no_camera_RC}" 4 "missing camera")
if(EMULATOR)
    ky_expect_match("${no_camera_ERR}" "V4L2 cameras are available on Linux only" "missing camera (Windows)")
else()
    ky_expect_match("${no_camera_ERR}" "^kycamera: camera /dev/kycamera-no-such-video: no such device \\(open: " "missing camera")
    file(WRITE "${WORK_DIR}/notacamera" "")
    ky_cli_run(not_camera ARGS demo --camera notacamera)
    ky_expect_equal("${not_camera_RC}" 4 "not a camera")
    ky_expect_match("${not_camera_ERR}" "notacamera: not a video capture device" "not a camera")
endif()

# Shell lines that are not understood: the shell goes on and ends with 2.
file(WRITE "${WORK_DIR}/bad.txt" "status\nfrobnicate\nmode sideways\nmode play pictures\nnext 3\nstop now\n# a comment\n\nstatus\n")
ky_cli_run(shell_bad INPUT "${WORK_DIR}/bad.txt" ARGS shell)
ky_expect_equal("${shell_bad_RC}" 2 "shell with bad lines")
ky_expect_match("${shell_bad_ERR}" "kycamera: line 2: unknown command 'frobnicate' \\(try help\\)\n" "shell bad command")
ky_expect_match("${shell_bad_ERR}" "kycamera: line 3: mode needs none, play or camera" "shell bad argument")
ky_expect_match("${shell_bad_ERR}" "kycamera: line 4: mode play: media type must be" "shell bad media type")
ky_expect_match("${shell_bad_ERR}" "kycamera: line 5: next takes video, picture or all" "shell bad view")
ky_expect_match("${shell_bad_ERR}" "kycamera: line 6: stop takes no argument" "shell extra argument")
ky_count_matches("${shell_bad_ERR}" "line [0-9]+:" bad_lines)
ky_expect_equal("${bad_lines}" 5 "comments and blank lines are no errors")
ky_count_matches("${shell_bad_OUT}" "status: mode none" statuses)
ky_expect_equal("${statuses}" 2 "the shell went on after bad lines")

# ky_expect_one_line(<text> <what>): exactly one line.
function(ky_expect_one_line text what)
    ky_count_matches("${text}" "\n" lines)
    ky_expect_equal("${lines}" 1 "${what}: lines on standard error")
endfunction()

# A camera that delivers nothing: camera mode starts, but no picture ever reaches the display.
ky_cli_run(silent ARGS demo --media silent --fps 0 --frame-timeout 500)
ky_expect_equal("${silent_RC}" 4 "silent camera")
ky_expect_match("${silent_ERR}" "^kycamera: the camera delivered no picture within 500 ms \\(synthetic camera 640x480 at 0 fps\\)\n$" "silent camera")
ky_list_files("${WORK_DIR}/silent" "*" left)
ky_expect_equal("${left}" "" "files after a silent camera")

# The picture cannot be created (a full disk, injected): the video recorded before stays filed.
ky_cli_run(no_picture ARGS demo --media nopicture --seconds 1 --inject-fault open:~picture.jpg:112)
ky_expect_equal("${no_picture_RC}" 5 "picture not written")
ky_expect_one_line("${no_picture_ERR}" "picture not written")
ky_expect_match("${no_picture_ERR}" "^kycamera: picture 1 could not be written into [^\n]*nopicture \\(disk full\\?\\)" "picture not written")
ky_list_files("${WORK_DIR}/nopicture" "*.avi" videos)
ky_list_files("${WORK_DIR}/nopicture" "*.jpg" pictures)
list(LENGTH videos video_count)
ky_expect_equal("${video_count}" 1 "the video before the failed picture")
ky_expect_equal("${pictures}" "" "pictures after the failed capture")

# The finished video cannot be moved to its time-stamped name: it stays under the temporary
# name, with its frames, and the user is told where.
ky_cli_run(no_filing ARGS demo --media nofiling --seconds 1 --inject-fault move:.avi:5)
ky_expect_equal("${no_filing_RC}" 5 "video not filed")
ky_expect_one_line("${no_filing_ERR}" "video not filed")
ky_expect_match("${no_filing_ERR}" "^kycamera: the recording could not be filed under its time-stamped name; it stays as [^\n]*nofiling.~video\\.avi\n" "video not filed")
ky_list_files("${WORK_DIR}/nofiling" "*" left)
ky_expect_equal("${left}" "~video.avi" "the temporary video stays")
file(SIZE "${WORK_DIR}/nofiling/~video.avi" kept_bytes)
if(kept_bytes LESS 10000)
    message(FATAL_ERROR "the kept recording holds only ${kept_bytes} bytes")
endif()
