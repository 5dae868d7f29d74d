# Fails when a file includes a header of a folder above its own, when a Qt-free folder includes
# Qt, or when anything but the storage stand-ins includes SQLite. Run as a script:
#   cmake -DSOURCE_DIR=<tree> -P cmake/CheckIncludeLayers.cmake
# It prints one line a fault ("file:line: what") and ends with an error when there is any.
#
# The table below is the one place where the layers are written down. A file belongs to the
# longest prefix that its path starts with; an include is read from the project root
# ("store/settings.h") or, without a folder, beside the file that includes it. A folder of
# sources that no prefix covers is itself a fault, so that a new layer is placed on purpose.

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR)
  set(SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/..)
endif()
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)

# prefix | what it may include besides itself | Qt allowed
set(layer_table
  "resources/|-|no"
  "core/|resources/|no"
  "platform/|core/ resources/|no"
  "store/|platform/ core/ resources/|no"
  "export/|store/ platform/ core/ resources/|no"
  "import/|store/ platform/ core/ resources/|no"
  "platform/ui/|core/ resources/|yes"
  "program/|platform/ui/ store/ platform/ core/ resources/|yes"
  "dialogs/|program/ platform/ui/ import/ export/ store/ platform/ core/ resources/|yes"
  "export/export_dialog|dialogs/ program/ platform/ui/ export/ store/ platform/ core/ resources/|yes"
  "reports/|export/export_dialog dialogs/ program/ platform/ui/ import/ export/ store/ platform/ core/ resources/|yes"
  "shell/|reports/ export/export_dialog dialogs/ program/ platform/ui/ import/ export/ store/ platform/ core/ resources/|yes"
  "setup/|platform/ui/ platform/ core/ resources/|yes"
  "cli/|import/ export/ store/ platform/ core/ resources/|no")
# Folders that are not layers: they may use anything, and nothing includes them.
set(unlayered_folders tests bench fuzz cmake scripts docs)
# Only the storage stand-ins talk to SQLite.
set(sqlite_layer "platform/")

set(prefixes "")
foreach(row IN LISTS layer_table)
  string(REPLACE "|" ";" fields "${row}")
  list(GET fields 0 prefix)
  list(GET fields 1 allowed)
  list(GET fields 2 qt)
  list(APPEND prefixes "${prefix}")
  if(allowed STREQUAL "-")
    set(allowed "")
  endif()
  string(REPLACE " " ";" allowed "${allowed}")
  set("may_${prefix}" "${prefix};${allowed}")
  set("qt_${prefix}" "${qt}")
endforeach()

# The layer of a path relative to the root: its longest matching prefix, or empty.
function(layer_of path out)
  set(best "")
  string(LENGTH "${best}" best_length)
  foreach(prefix IN LISTS prefixes)
    string(FIND "${path}" "${prefix}" at)
    string(LENGTH "${prefix}" length)
    if(at EQUAL 0 AND length GREATER best_length)
      set(best "${prefix}")
      set(best_length ${length})
    endif()
  endforeach()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

# The line number of the first line of `file` that holds `text`.
function(line_of file text out)
  file(READ "${file}" content)
  # Characters that CMake's lists treat specially would split or join lines.
  string(REPLACE "\\" "/" content "${content}")
  string(REPLACE "[" "(" content "${content}")
  string(REPLACE "]" ")" content "${content}")
  string(REPLACE ";" "," content "${content}")
  string(REPLACE "\n" ";" lines "${content}")
  set(number 0)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    string(FIND "${line}" "${text}" at)
    if(NOT at EQUAL -1)
      set(${out} ${number} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} 0 PARENT_SCOPE)
endfunction()

set(faults "")
file(GLOB top_entries RELATIVE "${SOURCE_DIR}" LIST_DIRECTORIES true "${SOURCE_DIR}/*")
foreach(top IN LISTS top_entries)
  if(NOT IS_DIRECTORY "${SOURCE_DIR}/${top}" OR top MATCHES "^(\\.|build)"
     OR top IN_LIST unlayered_folders)
    continue()
  endif()
  file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}"
       "${SOURCE_DIR}/${top}/*.h" "${SOURCE_DIR}/${top}/*.hpp"
       "${SOURCE_DIR}/${top}/*.cpp" "${SOURCE_DIR}/${top}/*.cc")
  list(SORT sources)
  foreach(source IN LISTS sources)
    layer_of("${source}" layer)
    if(layer STREQUAL "")
      list(APPEND faults "${source}: ${top}/ belongs to no layer: add it to the table of the include check")
      continue()
    endif()
    get_filename_component(source_dir "${source}" DIRECTORY)
    file(READ "${SOURCE_DIR}/${source}" content)
    string(REGEX MATCHALL "\n[ \t]*#[ \t]*include[ \t]*[<\"][^>\"\n]*[>\"]" includes "\n${content}")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^\n[ \t]*#[ \t]*include[ \t]*" "" spelled "${line}")
      string(REGEX REPLACE "^[<\"](.*)[>\"]$" "\\1" header "${spelled}")
      set(fault "")
      if(spelled MATCHES "^<")
        if(header MATCHES "^Q" AND "${qt_${layer}}" STREQUAL "no")
          set(fault "${layer} is Qt-free and may not include ${spelled}")
        elseif(header STREQUAL "sqlite3.h" AND NOT layer STREQUAL sqlite_layer)
          set(fault "only ${sqlite_layer} includes ${spelled}")
        endif()
      else()
        layer_of("${header}" target)
        if(target STREQUAL "" AND NOT header MATCHES "/")
          # A header beside the file, named without its folder.
          layer_of("${source_dir}/${header}" target)
        endif()
        if(NOT target STREQUAL "" AND NOT target IN_LIST may_${layer})
          set(fault "${layer} may not include ${header} (${target})")
        endif()
      endif()
      if(NOT fault STREQUAL "")
        line_of("${SOURCE_DIR}/${source}" "${spelled}" number)
        list(APPEND faults "${source}:${number}: ${fault}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  list(LENGTH faults count)
  foreach(fault IN LISTS faults)
    message("${fault}")
  endforeach()
  message(FATAL_ERROR "${count} include(s) against the layers")
endif()
message("includes follow the layers")
