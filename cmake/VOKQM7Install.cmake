# `cmake --install` lays out bin/ (the DLL and vokqm7), lib/ (libVOKQM7.so or
# the import library, and the package config) and include/.
include(CMakePackageConfigHelpers)

install(TARGETS VOKQM7 EXPORT VOKQM7Targets
  RUNTIME DESTINATION bin
  LIBRARY DESTINATION lib
  ARCHIVE DESTINATION lib)
install(FILES ${PROJECT_SOURCE_DIR}/include/vokqm7.h DESTINATION include)
install(EXPORT VOKQM7Targets NAMESPACE VOKQM7:: DESTINATION lib/cmake/VOKQM7)

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/VOKQM7Config.cmake.in
  ${PROJECT_BINARY_DIR}/VOKQM7Config.cmake INSTALL_DESTINATION lib/cmake/VOKQM7)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VOKQM7ConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VOKQM7Config.cmake
  ${PROJECT_BINARY_DIR}/VOKQM7ConfigVersion.cmake DESTINATION lib/cmake/VOKQM7)
