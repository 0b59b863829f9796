# kivo_add_plugin(<name> SOURCES <file>...)
#
# Builds a plug-in library the way libkivo loads it: a shared module named
# lib<name>.so, linked with Kivo::kivo, with hidden visibility so that only what
# the sources mark (KIVO_PLUGIN_EXPORT: "start", "stop", methods looked up by
# name) is exported. A "library" element names it by its file path, or by its
# folder and <name>: the loader adds the "lib" prefix and ".so" itself.
function(kivo_add_plugin name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES")
  if(NOT arg_SOURCES OR arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "usage: kivo_add_plugin(<name> SOURCES <file>...)")
  endif()
  add_library(${name} MODULE ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE Kivo::kivo)
  set_target_properties(${name} PROPERTIES
    PREFIX "lib"
    SUFFIX ".so"
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
endfunction()
