# Run by CPack once the files of a package are staged: writes SHA256SUMS
# beside them, one "<sha256>  <path>" line per file in sha256sum's format,
# paths relative to the package's top and sorted.
set(top ${CPACK_TEMPORARY_INSTALL_DIRECTORY})
file(GLOB_RECURSE files RELATIVE ${top} LIST_DIRECTORIES false ${top}/*)
list(REMOVE_ITEM files SHA256SUMS)
list(SORT files)
set(sums "")
foreach(file IN LISTS files)
  file(SHA256 ${top}/${file} sum)
  string(APPEND sums "${sum}  ${file}\n")
endforeach()
file(WRITE ${top}/SHA256SUMS "${sums}")
