# The targets that carry libkivo's public dependencies, for the build and for the
# installed package alike. Expects wxWidgets (component base), Threads and
# pkg-config's tinyxml (prefix KIVO_TINYXML, imported target) to be found.

# FindwxWidgets gives variables, not a target, and leaves out wxUSE_GUI=0 for a
# base-only link: wrap both in one imported target.
if(NOT TARGET Kivo::wxBase)
  add_library(Kivo::wxBase INTERFACE IMPORTED)
  target_include_directories(Kivo::wxBase INTERFACE ${wxWidgets_INCLUDE_DIRS})
  target_compile_definitions(Kivo::wxBase INTERFACE ${wxWidgets_DEFINITIONS} wxUSE_GUI=0)
  separate_arguments(_kivo_wx_flags NATIVE_COMMAND "${wxWidgets_CXX_FLAGS}")
  list(FILTER _kivo_wx_flags INCLUDE REGEX "^-[^ID]")
  target_compile_options(Kivo::wxBase INTERFACE ${_kivo_wx_flags})
  target_link_libraries(Kivo::wxBase INTERFACE ${wxWidgets_LIBRARIES} Threads::Threads)
  unset(_kivo_wx_flags)
endif()

if(NOT TARGET Kivo::TinyXML)
  add_library(Kivo::TinyXML INTERFACE IMPORTED)
  target_link_libraries(Kivo::TinyXML INTERFACE PkgConfig::KIVO_TINYXML)
endif()
