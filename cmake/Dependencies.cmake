# System libraries, all from Debian packages (scripts/setup installs them).
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
find_package(wxWidgets 3.2 REQUIRED COMPONENTS base)
# TinyXML's header defines TIXML_USE_STL itself; never define it here.
pkg_check_modules(KIVO_TINYXML REQUIRED IMPORTED_TARGET tinyxml)
# libkivo's public dependencies as the targets Kivo::wxBase and Kivo::TinyXML,
# made the same way here and in the installed package.
include(${CMAKE_CURRENT_LIST_DIR}/KivoDependencyTargets.cmake)

pkg_check_modules(LUA REQUIRED IMPORTED_TARGET lua5.2)

# GNU readline for the kivo shell: line editing, history and completion.
find_path(READLINE_INCLUDE_DIR readline/readline.h REQUIRED)
find_library(READLINE_LIBRARY readline REQUIRED)
add_library(Readline::readline INTERFACE IMPORTED)
target_include_directories(Readline::readline SYSTEM INTERFACE ${READLINE_INCLUDE_DIR})
target_link_libraries(Readline::readline INTERFACE ${READLINE_LIBRARY})
