# A shell script that browses and removes: the files left on disk and the current entries.
include(${CMAKE_CURRENT_LIST_DIR}/KyCliSupport.cmake)
ky_cli_fresh_work_dir()

# Oldest first: picture at 08:00, video at 09:00, picture at 10:00.
set(media "${WORK_DIR}/media")
file(MAKE_DIRECTORY "${media}")
foreach(entry "20240101-080000.jpg;2024-01-01 08:00:00" "20240101-090000.avi;2024-01-01 09:00:00"
              "20240101-100000.jpg;2024-01-01 10:00:00")
    list(GET entry 0 name)
    list(GET entry 1 time)
    file(WRITE "${media}/${name}" "media file ${name}")
    execute_process(COMMAND touch -d "${time}" "${media}/${name}" RESULT_VARIABLE rc)
    ky_expect_equal("${rc}" 0 "touch ${name}")
endforeach()

file(WRITE "${WORK_DIR}/script.txt" [=[
# browse, then remove the video through the play mode's media type
dir media
list
prev all
path
remove
next picture
prev picture
list
quit
status
]=])
ky_cli_run(shell INPUT "${WORK_DIR}/script.txt" ARGS shell)
ky_expect_equal("${shell_RC}" 0 "shell exit code")
ky_expect_equal("${shell_ERR}" "" "shell errors")

# What is left on disk.
ky_list_files("${media}" "*" left)
ky_expect_equal("${left}" "20240101-080000.jpg;20240101-100000.jpg" "files after the script")

# The answers, in order.
set(sep "[/\\\\]")
ky_expect_match("${shell_OUT}" "dir [^\n]*media: true, 1 video, 2 pictures\n" "dir")
ky_expect_match("${shell_OUT}" "    0  picture  2024-01-01 08:00:00  [^\n]*20240101-080000.jpg\n    1  video    2024-01-01 09:00:00  [^\n]*20240101-090000.avi  video\n    2  picture  2024-01-01 10:00:00  [^\n]*20240101-100000.jpg  all, picture\n" "first list: order and current views")
ky_expect_match("${shell_OUT}" "prev all: true, now [^\n]*${sep}20240101-090000.avi \\(all 2 of 3\\)\n" "prev all")
ky_expect_match("${shell_OUT}" "\npath: [^\n]*${sep}20240101-090000.avi \\(video position 0\\)\n" "path follows the play type")
ky_expect_match("${shell_OUT}" "remove: true, removed [^\n]*${sep}20240101-090000.avi\n" "remove")
ky_expect_match("${shell_OUT}" "next picture: false, now [^\n]*20240101-100000.jpg \\(picture 2 of 2\\)\n" "next picture at the end")
ky_expect_match("${shell_OUT}" "prev picture: true, now [^\n]*20240101-080000.jpg \\(picture 1 of 2\\)\n" "prev picture")
# The removed video was the only one and the all view stood on it: no current video, no
# current entry in the all view, the older picture current among pictures.
ky_expect_match("${shell_OUT}" "catalogue: 2 files \\(0 videos, 2 pictures\\)[^\n]*\n[^\n]*\n    0  picture  [^\n]*20240101-080000.jpg  picture\n    1  picture  [^\n]*20240101-100000.jpg\n" "second list")
ky_expect_no_match("${shell_OUT}" "> status" "nothing runs after quit")
ky_count_matches("${shell_OUT}" "message: state changed" messages)
ky_expect_equal("${messages}" 0 "no state change in play-mode browsing")

# Play mode starts and stops; a removal of a named type takes that view's current file.
set(play "${WORK_DIR}/play")
file(MAKE_DIRECTORY "${play}")
foreach(entry "20240101-110000.avi;2024-01-01 11:00:00" "20240101-120000.jpg;2024-01-01 12:00:00"
              "20240101-130000.jpg;2024-01-01 13:00:00")
    list(GET entry 0 name)
    list(GET entry 1 time)
    file(WRITE "${play}/${name}" "media file ${name}")
    execute_process(COMMAND touch -d "${time}" "${play}/${name}")
endforeach()
file(WRITE "${WORK_DIR}/play.txt" "dir play\nmode play video\nstart\nstatus\nstop\nremove picture\n")
ky_cli_run(play INPUT "${WORK_DIR}/play.txt" ARGS shell)
ky_expect_equal("${play_RC}" 0 "play script exit code")
ky_expect_equal("${play_ERR}" "" "play script errors")
ky_expect_match("${play_OUT}" "start: true\n" "play mode starts")
ky_expect_match("${play_OUT}" "status: mode play[^\n]*running yes" "play mode runs")
ky_expect_match("${play_OUT}" "stop: true\n" "play mode stops")
ky_expect_match("${play_OUT}" "remove picture: true, removed [^\n]*20240101-130000.jpg\n" "remove picture")
ky_list_files("${play}" "*" left)
ky_expect_equal("${left}" "20240101-110000.avi;20240101-120000.jpg" "files after the play script")

# Camera mode from a script: two pictures a little over a second apart, then a recording.
file(WRITE "${WORK_DIR}/camera.txt" [=[
dir camera
mode camera picture
start
wait 1.1
start
mode camera video
start
status
wait 1.5
stop
mode play all
list
]=])
ky_cli_run(camera INPUT "${WORK_DIR}/camera.txt" ARGS shell)
ky_expect_equal("${camera_RC}" 0 "camera script exit code")
ky_expect_equal("${camera_ERR}" "" "camera script errors")
ky_list_files("${WORK_DIR}/camera" "*.jpg" pictures)
ky_list_files("${WORK_DIR}/camera" "*.avi" videos)
list(LENGTH pictures picture_count)
list(LENGTH videos video_count)
ky_expect_equal("${picture_count}" 2 "pictures from the script")
ky_expect_equal("${video_count}" 1 "videos from the script")
ky_list_files("${WORK_DIR}/camera" "~*" temporaries)
ky_expect_equal("${temporaries}" "" "temporary files after the script")
ky_count_matches("${camera_OUT}" "start: true, picture [^\n]*\\.jpg\n" captures)
ky_expect_equal("${captures}" 2 "captures answered with their file")
ky_expect_match("${camera_OUT}" "start: true, recording into [^\n]*~video\\.avi\n" "recording started")
ky_expect_match("${camera_OUT}" "status: mode camera, play media type none, camera media type video, running yes, files [^\n]*, recording [0-9.]+ s: [0-9]+ written, [0-9]+ repeated, [0-9]+ dropped, [0-9]+ waiting\n" "status while recording")
ky_expect_match("${camera_OUT}" "stop: true, filed [^\n]*${videos}\n" "recording filed")
ky_count_matches("${camera_OUT}" "message: state changed \"Video\"" messages)
ky_expect_equal("${messages}" 4 "state-changed messages (2 captures, start, stop)")
# The recording was the last file made: current among videos and in the all view.
ky_expect_match("${camera_OUT}" "    2  video    [^\n]*${videos}  all, video\n" "catalogue after the script")
