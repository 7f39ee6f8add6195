# Writes the display widths of Unicode's East Asian Width property as rows
# of a C++ table, from the EastAsianWidth.txt that Debian's unicode-data
# package ships:
#   cmake -DSOURCE=<EastAsianWidth.txt> -DOUTPUT=<file> [-DMINIMUM_ENTRIES=n]
#     -P east_asian_width.cmake
# Both layouts of the file are read: "0000..001F;N     # Cc ..." up to
# Unicode 15.0, "0000..001F     ; N  # Cc ..." from 15.1 on. A file with
# fewer than MINIMUM_ENTRIES entries (1000 unless given) is refused, so that
# a layout this does not know fails the build instead of making an empty
# table.
# A row is {first, last, width} for a run of code points of one width other
# than 1, in code point order: 0 for nonspacing and enclosing marks and
# format characters (general category Mn, Me, Cf, which each line's comment
# names), 2 for wide, fullwidth and ambiguous characters. Ambiguous ones are
# wide because the tool writes for GBK consoles, where every double-byte
# character takes two columns.
cmake_minimum_required(VERSION 3.20)
if(NOT SOURCE OR NOT OUTPUT)
  message(FATAL_ERROR "usage: cmake -DSOURCE=EastAsianWidth.txt -DOUTPUT=file -P ${CMAKE_CURRENT_LIST_FILE}")
endif()

if(NOT DEFINED MINIMUM_ENTRIES)
  set(MINIMUM_ENTRIES 1000)
endif()

set(entry "^([0-9A-F]+)(\\.\\.([0-9A-F]+))? *; *([A-Za-z]+) *# *([A-Z][a-z&])")
file(STRINGS "${SOURCE}" lines REGEX "${entry}")
list(LENGTH lines count)
if(count LESS MINIMUM_ENTRIES)
  message(FATAL_ERROR "${SOURCE} has only ${count} entries: not Unicode's EastAsianWidth.txt")
endif()

set(rows "")
set(run_first -1)
set(run_last -2)
set(run_width 1)
macro(flush_run)
  if(NOT run_width EQUAL 1)
    math(EXPR first_hex "${run_first}" OUTPUT_FORMAT HEXADECIMAL)
    math(EXPR last_hex "${run_last}" OUTPUT_FORMAT HEXADECIMAL)
    string(APPEND rows "{${first_hex}, ${last_hex}, ${run_width}},\n")
  endif()
endmacro()

foreach(line IN LISTS lines)
  # Keep the captures: every if(... MATCHES ...) below overwrites them.
  string(REGEX MATCH "${entry}" matched "${line}")
  set(first_text "${CMAKE_MATCH_1}")
  set(last_text "${CMAKE_MATCH_3}")
  set(property "${CMAKE_MATCH_4}")
  set(category "${CMAKE_MATCH_5}")
  math(EXPR first "0x${first_text}")
  if(NOT "${last_text}" STREQUAL "")
    math(EXPR last "0x${last_text}")
  else()
    set(last ${first})
  endif()
  if(category MATCHES "^(Mn|Me|Cf)$")
    set(width 0)
  elseif(property MATCHES "^(W|F|A)$")
    set(width 2)
  else()
    set(width 1)
  endif()
  math(EXPR next "${run_last} + 1")
  if(width EQUAL run_width AND first EQUAL next)
    set(run_last ${last})
  else()
    flush_run()
    set(run_first ${first})
    set(run_last ${last})
    set(run_width ${width})
  endif()
endforeach()
flush_run()

file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${SOURCE} by east_asian_width.cmake: do not edit.\n${rows}")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
