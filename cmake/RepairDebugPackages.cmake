# Run by CPack once the Debian packages are made (CPACK_POST_BUILD_SCRIPTS):
# brings each -dbgsym package to what debhelper makes. CPack 3.25 writes
# their md5sums with the staging folder's absolute paths, which dpkg and
# lintian take for files the package lacks, and gives them no
# /usr/share/doc: debhelper's link /usr/share/doc/<package>-dbgsym ->
# <package> (the package it depends on, with its copyright and changelog)
# is added, and the .debug files, which are no programs, lose the execute
# bits that CPack copied from the binaries. Each is rebuilt from its own files with dpkg-deb.
find_program(VOKQM7_DPKG_DEB dpkg-deb REQUIRED)
set(debug_packages ${CPACK_PACKAGE_FILES})
list(FILTER debug_packages INCLUDE REGEX "-dbgsym_[^/]*[.]ddeb$")
if(NOT debug_packages)
  message(FATAL_ERROR "CPack has made no -dbgsym package: ${CPACK_PACKAGE_FILES}")
endif()
foreach(package IN LISTS debug_packages)
  set(root ${CPACK_TOPLEVEL_DIRECTORY}/repair-dbgsym)
  file(REMOVE_RECURSE ${root})
  execute_process(COMMAND ${VOKQM7_DPKG_DEB} -R ${package} ${root} COMMAND_ERROR_IS_FATAL ANY)
  file(STRINGS ${root}/DEBIAN/control name REGEX "^Package: ")
  string(REGEX REPLACE "^Package: (.*)-dbgsym$" "\\1" parent "${name}")
  if(parent STREQUAL name)
    message(FATAL_ERROR "${package}: its package name does not end in -dbgsym")
  endif()

  file(MAKE_DIRECTORY ${root}/usr/share/doc)
  file(CREATE_LINK ${parent} ${root}/usr/share/doc/${parent}-dbgsym SYMBOLIC)

  file(GLOB_RECURSE files RELATIVE ${root} LIST_DIRECTORIES false ${root}/usr/*)
  list(SORT files)
  set(sums "")
  foreach(file IN LISTS files)
    if(NOT IS_SYMLINK ${root}/${file})
      file(CHMOD ${root}/${file} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
      file(MD5 ${root}/${file} sum)
      string(APPEND sums "${sum}  ${file}\n")
    endif()
  endforeach()
  file(WRITE ${root}/DEBIAN/md5sums "${sums}")
  file(CHMOD ${root}/DEBIAN/md5sums PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

  execute_process(COMMAND ${VOKQM7_DPKG_DEB} --root-owner-group --build ${root} ${package}
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${root})
endforeach()
