# The display width table generator on both layouts of EastAsianWidth.txt,
# the one up to Unicode 15.0 ("0000..001F;N     # Cc") and the one from 15.1
# on ("0000..001F     ; N  # Cc"): the rows it must make of the same
# entries written either way.
#   cmake -DGENERATOR=<east_asian_width.cmake> -DWORK=<folder> -P east_asian_width_test.cmake
cmake_minimum_required(VERSION 3.20)

set(up_to_15_0 [[
# EastAsianWidth-15.0.0.txt
0000..001F;N     # Cc    [32] <control-0000>..<control-001F>
0020;Na          # Zs         SPACE
00A1;A           # Po         INVERTED EXCLAMATION MARK
0300..036F;A     # Mn   [112] COMBINING GRAVE ACCENT..COMBINING LATIN SMALL LETTER X
1100..115F;W     # Lo    [96] HANGUL CHOSEONG KIYEOK..HANGUL CHOSEONG FILLER
200B;N           # Cf         ZERO WIDTH SPACE
3000;F           # Zs         IDEOGRAPHIC SPACE
3001..3003;W     # Po     [3] IDEOGRAPHIC COMMA..DITTO MARK
4E00..9FFF;W     # Lo [20992] CJK UNIFIED IDEOGRAPH-4E00..CJK UNIFIED IDEOGRAPH-9FFF
]])
set(from_15_1 [[
# EastAsianWidth-15.1.0.txt
0000..001F     ; N  # Cc    [32] <control-0000>..<control-001F>
0020           ; Na # Zs         SPACE
00A1           ; A  # Po         INVERTED EXCLAMATION MARK
0300..036F     ; A  # Mn   [112] COMBINING GRAVE ACCENT..COMBINING LATIN SMALL LETTER X
1100..115F     ; W  # Lo    [96] HANGUL CHOSEONG KIYEOK..HANGUL CHOSEONG FILLER
200B           ; N  # Cf         ZERO WIDTH SPACE
3000           ; F  # Zs         IDEOGRAPHIC SPACE
3001..3003     ; W  # Po     [3] IDEOGRAPHIC COMMA..DITTO MARK
4E00..9FFF     ; W  # Lo [20992] CJK UNIFIED IDEOGRAPH-4E00..CJK UNIFIED IDEOGRAPH-9FFF
]])
# Widths other than 1, runs of one width merged: the ambiguous and wide ones
# 2, the nonspacing mark and the format character 0.
set(expected_rows [[
{0xa1, 0xa1, 2},
{0x300, 0x36f, 0},
{0x1100, 0x115f, 2},
{0x200b, 0x200b, 0},
{0x3000, 0x3003, 2},
{0x4e00, 0x9fff, 2},
]])

file(MAKE_DIRECTORY "${WORK}")
set(failures 0)
foreach(layout up_to_15_0 from_15_1)
  file(WRITE "${WORK}/${layout}.txt" "${${layout}}")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${WORK}/${layout}.txt -DOUTPUT=${WORK}/${layout}.inc
      -DMINIMUM_ENTRIES=9 -P ${GENERATOR}
    RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(SEND_ERROR "${layout}: the generator failed: ${errors}")
    math(EXPR failures "${failures} + 1")
    continue()
  endif()
  file(READ "${WORK}/${layout}.inc" generated)
  string(REGEX REPLACE "^//[^\n]*\n" "" rows "${generated}")
  if(NOT rows STREQUAL expected_rows)
    message(SEND_ERROR "${layout}: rows\n${rows}expected\n${expected_rows}")
    math(EXPR failures "${failures} + 1")
  endif()
endforeach()

# Too few entries is a file the generator does not understand: no table.
execute_process(
  COMMAND ${CMAKE_COMMAND} -DSOURCE=${WORK}/from_15_1.txt -DOUTPUT=${WORK}/refused.inc
    -P ${GENERATOR}
  RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
if(status EQUAL 0 OR EXISTS "${WORK}/refused.inc")
  message(SEND_ERROR "nine entries against the default minimum of 1000 made a table")
  math(EXPR failures "${failures} + 1")
endif()
if(failures EQUAL 0)
  message(STATUS "east_asian_width: both layouts give the expected rows")
endif()
