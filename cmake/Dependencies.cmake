# System libraries, all from Debian packages (scripts/setup installs them).
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)

# FindwxWidgets gives variables, not a target, and leaves out wxUSE_GUI=0 for a
# base-only link: wrap both in one imported target.
find_package(wxWidgets 3.2 REQUIRED COMPONENTS base)
add_library(kivo_wx INTERFACE)
target_include_directories(kivo_wx SYSTEM INTERFACE ${wxWidgets_INCLUDE_DIRS})
target_compile_definitions(kivo_wx INTERFACE ${wxWidgets_DEFINITIONS} wxUSE_GUI=0)
separate_arguments(kivo_wx_flags NATIVE_COMMAND "${wxWidgets_CXX_FLAGS}")
list(FILTER kivo_wx_flags INCLUDE REGEX "^-[^ID]")
target_compile_options(kivo_wx INTERFACE ${kivo_wx_flags})
target_link_libraries(kivo_wx INTERFACE ${wxWidgets_LIBRARIES} Threads::Threads)

# TinyXML's header defines TIXML_USE_STL itself; never define it here.
pkg_check_modules(TINYXML REQUIRED IMPORTED_TARGET tinyxml)
pkg_check_modules(LUA REQUIRED IMPORTED_TARGET lua5.2)

# GNU readline for the kivo shell: line editing, history and completion.
find_path(READLINE_INCLUDE_DIR readline/readline.h REQUIRED)
find_library(READLINE_LIBRARY readline REQUIRED)
add_library(Readline::readline INTERFACE IMPORTED)
target_include_directories(Readline::readline SYSTEM INTERFACE ${READLINE_INCLUDE_DIR})
target_link_libraries(Readline::readline INTERFACE ${READLINE_LIBRARY})
