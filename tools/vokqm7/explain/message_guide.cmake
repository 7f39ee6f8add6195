# Embeds the guide to the library's messages (docs/messages.md, UTF-8) in
# the tool, so that `vokqm7 explain` needs no file beside it:
#   cmake -DSOURCE=<messages.md> -DOUTPUT=<file> -P message_guide.cmake
# The output is one C++ raw string literal holding the guide's bytes.
cmake_minimum_required(VERSION 3.20)
if(NOT SOURCE OR NOT OUTPUT)
  message(FATAL_ERROR "usage: cmake -DSOURCE=messages.md -DOUTPUT=file -P ${CMAKE_CURRENT_LIST_FILE}")
endif()
file(READ "${SOURCE}" guide)
string(FIND "${guide}" ")guide\"" end_marker)
if(NOT end_marker EQUAL -1)
  message(FATAL_ERROR "${SOURCE} holds )guide\", which would end the literal early")
endif()
file(WRITE "${OUTPUT}.new" "// Generated from ${SOURCE}; do not edit.\nR\"guide(${guide})guide\"\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
