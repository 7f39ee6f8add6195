# The release packages, made with CPack from the install components
# (cmake/VOKQM7Install.cmake); scripts/package runs it in each build:
#   mingw-i686     VOKQM7-<version>-win32.zip and VOKQM7-<version>-win32-debug.zip
#   mingw-x86_64   the same, win64
#   deb            libvokqm7-1, libvokqm7-dev and vokqm7 (.deb, installed
#                  under /usr), and -dbgsym packages (.ddeb) of the first and
#                  the last
set(CPACK_PACKAGE_NAME VOKQM7)
set(CPACK_PACKAGE_VENDOR "VOKQM7 developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "VOKQM7 developers <vokqm7@example.com>")

if(WIN32)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "statements from an accounting package as tax filings")
  set(CPACK_PACKAGE_FILE_NAME VOKQM7-${PROJECT_VERSION}-win${VOKQM7_WINDOWS_BITS})
  set(CPACK_GENERATOR ZIP)
  # SplitDebugInfo.cmake strips the binaries once it has their debug
  # information (the build keeps it: the -g of RelWithDebInfo).
  set(CPACK_STRIP_FILES OFF)
  # One archive of what an integrator and a support engineer need; the CMake
  # package configuration is for the Linux build's consumers.
  set(CPACK_INSTALL_CMAKE_PROJECTS "")
  foreach(component runtime tool development documentation)
    list(APPEND CPACK_INSTALL_CMAKE_PROJECTS ${PROJECT_BINARY_DIR} ${PROJECT_NAME} ${component} /)
  endforeach()
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  # On the staged files, in this order: the debug information split off
  # into the -debug zip, the binaries stripped; then signed (when a
  # certificate is given), as the signature covers the link to the debug
  # file; then the checksums taken.
  set(CPACK_VOKQM7_OBJCOPY ${CMAKE_OBJCOPY})
  set(CPACK_VOKQM7_STRIP ${CMAKE_STRIP})
  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/SplitDebugInfo.cmake
    ${CMAKE_CURRENT_LIST_DIR}/SignWindowsBinaries.cmake ${CMAKE_CURRENT_LIST_DIR}/WriteChecksums.cmake)
  set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/PublishDebugZip.cmake)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL runtime development cmake documentation tool)
  set(CPACK_COMPONENTS_GROUPING ONE_PER_GROUP)
  set(CPACK_COMPONENT_DEVELOPMENT_GROUP dev)
  set(CPACK_COMPONENT_CMAKE_GROUP dev)
  set(CPACK_COMPONENT_DOCUMENTATION_GROUP dev)
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${VOKQM7_DEB_LIBRARY_PACKAGE})
  set(CPACK_DEBIAN_DEV_PACKAGE_NAME ${VOKQM7_DEB_DEV_PACKAGE})
  set(CPACK_DEBIAN_TOOL_PACKAGE_NAME ${VOKQM7_DEB_TOOL_PACKAGE})
  # All three come from one source, as dpkg-buildpackage would make them.
  set(CPACK_DEBIAN_PACKAGE_SOURCE vokqm7)
  set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
  set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
  set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION utils)
  # -dev and the tool need exactly this build of the library.
  set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "${VOKQM7_DEB_LIBRARY_PACKAGE} (= ${PROJECT_VERSION})")
  set(CPACK_DEBIAN_TOOL_PACKAGE_DEPENDS "${VOKQM7_DEB_LIBRARY_PACKAGE} (= ${PROJECT_VERSION})")

  # Each description's first line is the package's synopsis.
  set(about_library
"libVOKQM7 is the Linux build of the VOKQM7 library, which a tax-filing
client loads to take an enterprise's balance sheet and income statement
out of an accounting package's report tool: it runs the tool with a login
command line, reads the cell export the tool leaves behind and writes the
statements as a GBK filing document.")
  set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
"statements from an accounting package as tax filings
${about_library}
.
This package holds the shared library.")
  set(CPACK_DEBIAN_DEV_DESCRIPTION
"statements from an accounting package as tax filings (development files)
${about_library}
.
This package holds what a program built against the library needs: the C
header, the libVOKQM7.so link, the CMake package configuration for
find_package(VOKQM7), the integrator's guide and C examples.")
  set(CPACK_DEBIAN_TOOL_DESCRIPTION
"support tool for the VOKQM7 library
vokqm7 checks an installation of the accounting package's report tool,
runs the VOKQM7 library's calls as a filing client would, converts cell
exports into filing document sections offline and shows filing documents
as tables.")

  # The dependencies of the library and the tool (libxml2, the C++
  # runtime) as dpkg-shlibdeps finds them, a shlibs file for packages built
  # against the library, and the ldconfig trigger for it. The tool's
  # dependency on the library is the one above: dpkg-shlibdeps finds the
  # library in its own staging folder, which no installed package owns.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ../runtime/${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR})
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/debian/triggers)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # The debug information of the library and the tool in -dbgsym packages
  # as debhelper makes them: /usr/lib/debug/.build-id/<xx>/<rest>.debug,
  # which gdb finds from the binaries' build IDs. CPack strips the binaries
  # as it splits them, so it must not strip them before.
  set(CPACK_STRIP_FILES OFF)
  set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
  set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/RepairDebugPackages.cmake)
endif()

include(CPack)
