# Makes the text of one system from a text (the manual data/help.hlp) whose
# system-bound parts stand between a line "@linux" or "@windows" and a line
# "@end":
#
#   cmake -DSYSTEM=linux|windows -DINPUT=FILE -DOUTPUT=FILE [-DNOTEPAD=ON] -P text_for_system.cmake
#
# The other system's parts are dropped and the marker lines with them.
# NOTEPAD writes the text as Windows' Notepad reads it right: UTF-8 with a
# byte order mark and CRLF line ends.
file(READ ${INPUT} text)
if(SYSTEM STREQUAL "linux")
  set(other windows)
elseif(SYSTEM STREQUAL "windows")
  set(other linux)
else()
  message(FATAL_ERROR "SYSTEM is linux or windows, not '${SYSTEM}'")
endif()
# A part holds no "@", so the shortest match ends at its own "@end".
string(REGEX REPLACE "(^|\n)@${other}\n[^@]*@end\n" "\\1" text "${text}")
string(REGEX REPLACE "(^|\n)@${SYSTEM}\n([^@]*)@end\n" "\\1\\2" text "${text}")
string(REGEX MATCH "(^|\n)@[a-z]*\n" stray "${text}")
if(stray)
  message(FATAL_ERROR "${INPUT}: a marker without its part or its \"@end\": ${stray}")
endif()
if(NOTEPAD)
  string(REPLACE "\n" "\r\n" text "${text}")
  string(ASCII 239 187 191 bom)
  set(text "${bom}${text}")
endif()
file(WRITE ${OUTPUT} "${text}")
