# Read by cpack in a Windows build (CPACK_PROJECT_CONFIG_FILE):
# `cpack -D VOKQM7_DEBUG_ZIP=ON` makes VOKQM7-<version>-winNN-debug.zip of
# the binaries' .debug files, bin/VOKQM7.dll.debug and bin/vokqm7.exe.debug,
# to unpack over the release zip's folder, instead of the release zip.
if(VOKQM7_DEBUG_ZIP)
  set(CPACK_INSTALL_CMAKE_PROJECTS ${CPACK_VOKQM7_DEBUG_PROJECTS})
  set(CPACK_PACKAGE_FILE_NAME ${CPACK_VOKQM7_DEBUG_FILE_NAME})
  set(CPACK_PRE_BUILD_SCRIPTS ${CPACK_VOKQM7_DEBUG_PRE_BUILD_SCRIPTS})
endif()
