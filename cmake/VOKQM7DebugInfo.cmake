# The Windows binaries' debug information, kept apart from what ships: once
# linked (with -g, as the presets build), a binary's debug sections are
# copied into <binary>.debug beside it, the binary stripped and given a
# .gnu_debuglink to that file, which gdb and addr2line follow. The .debug
# files go into the install component "debug" (the -debug zip); the
# binaries stay as they are in the build folder, so that the tests run the
# very bytes the release zip holds.
function(vokqm7_split_debug_info target)
  if(NOT CMAKE_OBJCOPY OR NOT CMAKE_STRIP)
    message(FATAL_ERROR "objcopy and strip are needed to split ${target}'s debug information")
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE_NAME:${target}>
      $<TARGET_FILE_NAME:${target}>.debug
    COMMAND ${CMAKE_STRIP} --strip-all $<TARGET_FILE_NAME:${target}>
    COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug
      $<TARGET_FILE_NAME:${target}>
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    VERBATIM)
  install(FILES $<TARGET_FILE:${target}>.debug DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT debug)
endfunction()
