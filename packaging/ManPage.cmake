# Writes the kivo(1) manual page, gzip-compressed, from the program's own help:
# the overview of `kivo --help` and the help of every command it lists, so the
# page says what the program says.
#   cmake -DPROGRAM=<kivo> -DVERSION=<version> -DOUTPUT=<kivo.1.gz> -P ManPage.cmake

function(help_of out)
  execute_process(COMMAND ${PROGRAM} ${ARGN} --help
    OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "'${PROGRAM} ${ARGN} --help' failed (${status})")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Help text as literal roff lines: backslashes and minus signs escaped, no line
# read as a request.
function(as_roff out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "\n+$" "" text "${text}")
  string(REPLACE "\n." "\n\\&." text "\n${text}")
  string(REPLACE "\n'" "\n\\&'" text "${text}")
  set(${out} ".nf${text}\n.fi\n" PARENT_SCOPE)
endfunction()

help_of(overview)
# "Usage: kivo ..." and the one-line description after it.
string(REGEX MATCH "Usage: ([^\n]*)" usage "${overview}")
set(synopsis "${CMAKE_MATCH_1}")
string(REGEX MATCH "\n\n([^\n]*)" description "${overview}")
set(summary "${CMAKE_MATCH_1}")
string(REGEX REPLACE "\\.$" "" summary "${summary}")
string(SUBSTRING "${summary}" 0 1 first)
string(SUBSTRING "${summary}" 1 -1 rest)
string(TOLOWER "${first}" first)
set(summary "${first}${rest}")
# The commands are the lines "  NAME  summary" of the "Commands:" section.
set(commands "")
string(REGEX MATCH "Commands:\n(( +[^\n]*\n)+)" section "${overview}")
string(REPLACE "\n" ";" lines "${CMAKE_MATCH_1}")
foreach(line IN LISTS lines)
  if(line MATCHES "^  ([a-z][a-z-]*) ")
    list(APPEND commands "${CMAKE_MATCH_1}")
  endif()
endforeach()

as_roff(overview_roff "${overview}")
string(REPLACE "-" "\\-" summary_roff "${summary}")
string(CONCAT page ".TH KIVO 1 \"\" \"Kivo ${VERSION}\" \"User Commands\"\n"
         ".SH NAME\nkivo \\- ${summary_roff}\n"
         ".SH SYNOPSIS\n.B ${synopsis}\n"
         ".SH DESCRIPTION\n${overview_roff}")
if(commands)
  string(APPEND page ".SH COMMANDS\n")
  foreach(command IN LISTS commands)
    help_of(text ${command})
    as_roff(text_roff "${text}")
    string(APPEND page ".SS kivo ${command}\n${text_roff}")
  endforeach()
endif()
string(APPEND page ".SH VERSION\nThis page describes kivo ${VERSION}.\n")

get_filename_component(folder "${OUTPUT}" DIRECTORY)
get_filename_component(stem "${OUTPUT}" NAME_WLE)
file(WRITE "${folder}/${stem}" "${page}")
file(ARCHIVE_CREATE OUTPUT "${OUTPUT}" PATHS "${folder}/${stem}" FORMAT raw COMPRESSION GZip
     MTIME 0)
