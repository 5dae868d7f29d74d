# Runs the include check over planted/ and wants exactly the faults planted there: every one
# named with its file and line, none of the allowed includes, and a failing end.
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PLANTED} -P ${CHECK}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(report "${out}${err}")

set(expected
  "backup/backup.cpp: backup/ belongs to no layer: add it to the table of the include check"
  "cli/main.cpp:2: cli/ may not include platform/ui/device_screen.h (platform/ui/)"
  "core/amount_text.h:4: core/ may not include store/settings.h (store/)"
  "core/qt_text.cpp:3: core/ is Qt-free and may not include <QString>"
  "dialogs/some_dialog.cpp:2: dialogs/ may not include export/export_dialog.h (export/export_dialog)"
  "dialogs/some_dialog.cpp:3: dialogs/ may not include shell/main_window.h (shell/)"
  "export/csv_writer.cpp:2: export/ may not include export/export_dialog.h (export/export_dialog)"
  "platform/ui/peghelp/help_window.cpp:2: platform/ui/ may not include platform/registry.h (platform/)"
  "store/raw_volume.cpp:2: only platform/ includes <sqlite3.h>"
  "9 include(s) against the layers")
# Allowed: the file's own layer, a lower one, a header beside the file, a commented-out line,
# and anything under tests/.
set(unexpected "core/amount_text.h:2" "store/raw_volume.cpp:1" "dialogs/some_dialog.cpp:1"
               "platform/ui/peghelp/help_window.cpp:1" "export/csv_writer.cpp:1" "cli/main.cpp:1"
               "tests/")

set(problems "")
if(status EQUAL 0)
  string(APPEND problems "the check passed a tree with planted faults\n")
endif()
foreach(line IN LISTS expected)
  string(FIND "${report}" "${line}" at)
  if(at EQUAL -1)
    string(APPEND problems "not reported: ${line}\n")
  endif()
endforeach()
foreach(text IN LISTS unexpected)
  string(FIND "${report}" "${text}" at)
  if(NOT at EQUAL -1)
    string(APPEND problems "reported although allowed: ${text}\n")
  endif()
endforeach()
if(NOT problems STREQUAL "")
  message(FATAL_ERROR "${problems}The check said:\n${report}")
endif()
