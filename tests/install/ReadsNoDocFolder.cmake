# No compile step of the build reads a documentation folder: containers and minimal systems strip
# /usr/share/doc, so a source compiled from there would not build.
#   cmake -DFILE=<build>/compile_commands.json -P ReadsNoDocFolder.cmake
file(READ ${FILE} commands)
string(FIND "${commands}" "/usr/share/doc" at)
if(NOT at EQUAL -1)
  string(SUBSTRING "${commands}" ${at} 160 context)
  message(FATAL_ERROR "a compile step reads a documentation folder: ${context}")
endif()
