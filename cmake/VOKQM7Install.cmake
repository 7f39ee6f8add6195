# What `cmake --install` lays out, in install components that the packages
# pick from (cmake/VOKQM7Package.cmake):
#   runtime        the library (VOKQM7.dll / libVOKQM7.so.N)
#   tool           vokqm7 (tools/vokqm7), on Linux with its manual page
#   development    include/vokqm7.h, the import library and VOKQM7.def, the
#                  libVOKQM7.so link
#   cmake          the package configuration for find_package(VOKQM7)
#   documentation  the integration guide, the C examples and the language
#                  bindings; on Windows the package's README.txt
# On Linux each Debian package also gets the copyright file and changelog in
# its own /usr/share/doc folder.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The Debian packages, split as Debian splits a library: the library in a
# package named after its SONAME, what a build against it needs in -dev,
# the tool on its own (VOKQM7Package.cmake puts the components into them).
set(VOKQM7_DEB_LIBRARY_PACKAGE libvokqm7-${PROJECT_VERSION_MAJOR})
set(VOKQM7_DEB_DEV_PACKAGE libvokqm7-dev)
set(VOKQM7_DEB_TOOL_PACKAGE vokqm7)

set(VOKQM7_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/VOKQM7)
if(WIN32)
  set(VOKQM7_DOC_DIR docs)
  set(VOKQM7_EXAMPLES_DIR examples)
else()
  # The guide and the examples are for integrators: they go with -dev.
  set(VOKQM7_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${VOKQM7_DEB_DEV_PACKAGE})
  set(VOKQM7_EXAMPLES_DIR ${VOKQM7_DOC_DIR}/examples)
endif()

install(TARGETS VOKQM7 EXPORT VOKQM7Targets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
    NAMELINK_COMPONENT development
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
install(FILES ${PROJECT_SOURCE_DIR}/include/vokqm7.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)
install(EXPORT VOKQM7Targets NAMESPACE VOKQM7:: DESTINATION ${VOKQM7_CMAKE_DIR}
  COMPONENT cmake)

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/VOKQM7Config.cmake.in
  ${PROJECT_BINARY_DIR}/VOKQM7Config.cmake INSTALL_DESTINATION ${VOKQM7_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VOKQM7ConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VOKQM7Config.cmake
  ${PROJECT_BINARY_DIR}/VOKQM7ConfigVersion.cmake DESTINATION ${VOKQM7_CMAKE_DIR}
  COMPONENT cmake)

install(FILES ${PROJECT_SOURCE_DIR}/docs/integration.md ${PROJECT_SOURCE_DIR}/docs/checks.md
  ${PROJECT_SOURCE_DIR}/docs/messages.md ${PROJECT_SOURCE_DIR}/docs/filing-document.md
  DESTINATION ${VOKQM7_DOC_DIR} COMPONENT documentation)
install(FILES ${PROJECT_SOURCE_DIR}/docs/examples/filing_client.c
  DESTINATION ${VOKQM7_DOC_DIR}/examples COMPONENT documentation)
install(FILES ${PROJECT_SOURCE_DIR}/examples/get_report.c ${PROJECT_SOURCE_DIR}/examples/get_filing.c
  DESTINATION ${VOKQM7_EXAMPLES_DIR} COMPONENT documentation)
if(WIN32)
  set(VOKQM7_BINDINGS_DIR bindings)
else()
  set(VOKQM7_BINDINGS_DIR ${VOKQM7_DOC_DIR}/bindings)
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/bindings/ DESTINATION ${VOKQM7_BINDINGS_DIR}
  COMPONENT documentation PATTERN __pycache__ EXCLUDE)

# The bindings' tables of the library's messages are made from
# request/messages.h; a build whose bindings/ holds other tables fails, so
# that no binding numbers a message otherwise than the guide.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
file(GLOB binding_message_tables ${PROJECT_SOURCE_DIR}/bindings/*/Vokqm7Messages.cs
  ${PROJECT_SOURCE_DIR}/bindings/*/Vokqm7Message.java ${PROJECT_SOURCE_DIR}/bindings/*/vokqm7messages.pas
  ${PROJECT_SOURCE_DIR}/bindings/*/VOKQM7Messages.bas ${PROJECT_SOURCE_DIR}/bindings/python/vokqm7/messages.py)
set(binding_messages_checked ${PROJECT_BINARY_DIR}/binding-message-tables.checked)
add_custom_command(OUTPUT ${binding_messages_checked}
  COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/binding_messages.py ${PROJECT_SOURCE_DIR} --check
  COMMAND ${CMAKE_COMMAND} -E touch ${binding_messages_checked}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/binding_messages.py ${PROJECT_SOURCE_DIR}/request/messages.h
    ${PROJECT_SOURCE_DIR}/docs/messages.md ${binding_message_tables}
  COMMENT "Checking the bindings' message tables against request/messages.h"
  VERBATIM)
add_custom_target(binding_message_tables ALL DEPENDS ${binding_messages_checked})

if(WIN32)
  # Integrators on other toolchains make their own import library from it.
  install(FILES ${PROJECT_SOURCE_DIR}/platform/win32/VOKQM7.def
    DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
  # 32 or 64, for the README and the zip's name (VOKQM7Package.cmake).
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(VOKQM7_WINDOWS_BITS 32)
  else()
    set(VOKQM7_WINDOWS_BITS 64)
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/README.txt.in
    ${PROJECT_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/README.txt DESTINATION . COMPONENT documentation)
else()
  # Debian wants the changelog compressed the reproducible way (no name,
  # no time stamp in the gzip header).
  find_program(VOKQM7_GZIP gzip REQUIRED)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/changelog.in
    ${PROJECT_BINARY_DIR}/changelog @ONLY)
  set(changelog ${PROJECT_BINARY_DIR}/changelog.gz)
  add_custom_command(OUTPUT ${changelog}
    COMMAND sh -c "\"$0\" -9nc \"$1\" >\"$2\"" ${VOKQM7_GZIP} ${PROJECT_BINARY_DIR}/changelog
      ${changelog}
    DEPENDS ${PROJECT_BINARY_DIR}/changelog
    VERBATIM)
  add_custom_target(vokqm7_changelog ALL DEPENDS ${changelog})
  foreach(component_package IN ITEMS runtime:${VOKQM7_DEB_LIBRARY_PACKAGE}
      development:${VOKQM7_DEB_DEV_PACKAGE} tool:${VOKQM7_DEB_TOOL_PACKAGE})
    string(REPLACE ":" ";" component_package ${component_package})
    list(GET component_package 0 component)
    list(GET component_package 1 package)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${changelog}
      DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/${VOKQM7_DEB_LIBRARY_PACKAGE}.lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
    RENAME ${VOKQM7_DEB_LIBRARY_PACKAGE} COMPONENT runtime)
endif()
