# Strict warnings for the project's own targets only. The fuzzing build uses clang,
# whose extra warnings must not stop a fuzzing run; the ordinary builds hold the line.
function(kivo_warnings target)
  if(KIVO_FUZZ)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  endif()
endfunction()
