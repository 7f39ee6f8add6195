# The release packages, made with CPack from the install components
# (cmake/VOKQM7Install.cmake); scripts/package runs it in each build:
#   mingw-i686     VOKQM7-<version>-win32.zip
#   mingw-x86_64   VOKQM7-<version>-win64.zip
#   deb            vokqm7_<version>_<arch>.deb, installed under /usr
set(CPACK_PACKAGE_NAME VOKQM7)
set(CPACK_PACKAGE_VENDOR "VOKQM7 developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "statements from an accounting package as tax filings")
set(CPACK_PACKAGE_CONTACT "VOKQM7 developers <vokqm7@example.com>")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_PACKAGE_FILE_NAME VOKQM7-${PROJECT_VERSION}-win${VOKQM7_WINDOWS_BITS})
  set(CPACK_GENERATOR ZIP)
  # One archive of what an integrator and a support engineer need; the CMake
  # package configuration is for the Linux build's consumers.
  set(CPACK_INSTALL_CMAKE_PROJECTS "")
  foreach(component runtime development documentation)
    list(APPEND CPACK_INSTALL_CMAKE_PROJECTS ${PROJECT_BINARY_DIR} ${PROJECT_NAME} ${component} /)
  endforeach()
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/WriteChecksums.cmake)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
  set(CPACK_DEBIAN_PACKAGE_NAME vokqm7)
  set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
  find_program(VOKQM7_DPKG dpkg)
  if(VOKQM7_DPKG)
    execute_process(COMMAND ${VOKQM7_DPKG} --print-architecture
      OUTPUT_VARIABLE VOKQM7_DEB_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE)
  else()
    set(VOKQM7_DEB_ARCHITECTURE amd64)
  endif()
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${VOKQM7_DEB_ARCHITECTURE})
  set(CPACK_DEBIAN_FILE_NAME vokqm7_${PROJECT_VERSION}_${VOKQM7_DEB_ARCHITECTURE}.deb)
  set(CPACK_DEBIAN_PACKAGE_SECTION libs)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The synopsis is CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the rest.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "libVOKQM7 is the Linux build of the VOKQM7 library, which a tax-filing
client loads to take an enterprise's balance sheet and income statement
out of an accounting package's report tool: it runs the tool with a login
command line, reads the cell export the tool leaves behind and writes the
statements as a GBK filing document.
.
This package holds the library, the vokqm7 support tool (checks an
installation, runs the library's calls, converts cell exports offline),
the C header and the CMake package configuration for find_package(VOKQM7).")
  # The library's own dependencies (libxml2, the C++ runtime) as
  # dpkg-shlibdeps finds them, a shlibs file for packages built against it,
  # and the ldconfig trigger for the shared library.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/debian/triggers)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()

include(CPack)
