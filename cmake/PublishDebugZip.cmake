# Run by CPack once a Windows release zip is made (CPACK_POST_BUILD_SCRIPTS):
# moves the -debug zip that SplitDebugInfo.cmake made beside it. Only here,
# so that a run which fails (a signing that fails, say) leaves no debug zip
# of binaries that were never shipped.
set(name ${CPACK_PACKAGE_FILE_NAME}-debug.zip)
if(NOT EXISTS ${CPACK_TOPLEVEL_DIRECTORY}/${name})
  message(FATAL_ERROR "no ${name}: the debug information was not split off")
endif()
file(RENAME ${CPACK_TOPLEVEL_DIRECTORY}/${name} ${CPACK_PACKAGE_DIRECTORY}/${name})
message(STATUS "debug information: ${CPACK_PACKAGE_DIRECTORY}/${name}")
