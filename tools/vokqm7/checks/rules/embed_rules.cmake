# Writes the shipped rule files into a C++ include, so that the tool carries
# them: cmake -DOUTPUT=FILE -DRULES="a.rules;b.rules" -P embed_rules.cmake
# Each becomes {"name", R"...(text)..."}; the texts are UTF-8, as the
# compilers read their sources.
set(text "// Generated from tools/vokqm7/checks/rules/*.rules by embed_rules.cmake.\n")
foreach(file IN LISTS RULES)
  get_filename_component(name ${file} NAME)
  file(READ ${file} content)
  string(FIND "${content}" ")vokrules\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${file} holds the text that ends its literal")
  endif()
  string(APPEND text "{\"${name}\", R\"vokrules(${content})vokrules\"},\n")
endforeach()
file(WRITE ${OUTPUT}.new "${text}")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
