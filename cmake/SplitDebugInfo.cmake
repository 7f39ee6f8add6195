# Run by CPack once a Windows zip's files are staged (CPACK_PRE_BUILD_SCRIPTS),
# before they are signed: the debug information of bin/VOKQM7.dll and
# bin/vokqm7.exe is copied into bin/<binary>.debug (objcopy
# --only-keep-debug), the binary stripped and given a .gnu_debuglink to
# that file, which gdb and addr2line follow when it lies beside the binary.
# The .debug files, with their SHA256SUMS, go into <package>-debug.zip, to
# unpack over the release zip's folder; PublishDebugZip.cmake puts it
# beside the release zip once that is made.
set(top ${CPACK_TEMPORARY_INSTALL_DIRECTORY})
set(debug_top ${CPACK_TOPLEVEL_DIRECTORY}/debug-files)
set(debug_zip ${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}-debug.zip)
if(NOT CPACK_VOKQM7_OBJCOPY OR NOT CPACK_VOKQM7_STRIP)
  message(FATAL_ERROR "objcopy and strip are needed to split the debug information")
endif()

file(REMOVE_RECURSE ${debug_top})
file(MAKE_DIRECTORY ${debug_top}/bin)
foreach(binary IN ITEMS bin/VOKQM7.dll bin/vokqm7.exe)
  if(NOT EXISTS ${top}/${binary})
    message(FATAL_ERROR "the package has no ${binary}")
  endif()
  execute_process(COMMAND ${CPACK_VOKQM7_OBJCOPY} --only-keep-debug ${top}/${binary}
      ${debug_top}/${binary}.debug COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND ${CPACK_VOKQM7_STRIP} --strip-all ${top}/${binary}
    COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND ${CPACK_VOKQM7_OBJCOPY} --add-gnu-debuglink=${debug_top}/${binary}.debug
      ${top}/${binary} COMMAND_ERROR_IS_FATAL ANY)
endforeach()

set(release_top ${top})
set(CPACK_TEMPORARY_INSTALL_DIRECTORY ${debug_top})
include(${CMAKE_CURRENT_LIST_DIR}/WriteChecksums.cmake)
set(CPACK_TEMPORARY_INSTALL_DIRECTORY ${release_top})

file(REMOVE ${debug_zip})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${debug_zip} --format=zip
    SHA256SUMS bin/VOKQM7.dll.debug bin/vokqm7.exe.debug
  WORKING_DIRECTORY ${debug_top} COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE ${debug_top})
