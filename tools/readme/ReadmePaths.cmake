# Checks that every repository path README.md names exists.
#
#   cmake -DSOURCE_DIR=<source root> -P ReadmePaths.cmake
#
# A path is a word with a '/' in the README's code: inline `code` and the
# indented command lines. Not paths: build outputs (build/...), placeholders
# (<subsystem>/...), settings (NAME=value) and options (-R). A trailing '/'
# names a folder. Prints every path that is missing and fails when there is
# one.

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=<source root> -P ReadmePaths.cmake")
endif()
file(READ ${SOURCE_DIR}/README.md text)
# List separators and brackets of the text would split CMake's lists.
string(REGEX REPLACE "[][;]" " " text "${text}")

string(REGEX MATCHALL "`[^`\n]+`" spans "${text}")
string(REPLACE "\n" ";" lines "${text}")
foreach(line IN LISTS lines)
  if(line MATCHES "^    ")
    list(APPEND spans "${line}")
  endif()
endforeach()

set(paths "")
foreach(span IN LISTS spans)
  string(REPLACE "`" "" span "${span}")
  string(REGEX REPLACE "[ \t]+" ";" words "${span}")
  foreach(word IN LISTS words)
    string(REGEX REPLACE "^[(\"']+" "" word "${word}")
    string(REGEX REPLACE "[)\"',.:]+$" "" word "${word}")
    if(NOT word MATCHES "/" OR word MATCHES "[<=]" OR word MATCHES "^(build/|-|https?:)")
      continue()
    endif()
    list(APPEND paths "${word}")
  endforeach()
endforeach()
list(REMOVE_DUPLICATES paths)

set(missing 0)
foreach(path IN LISTS paths)
  if(path MATCHES "/$")
    string(REGEX REPLACE "/$" "" folder "${path}")
    if(NOT IS_DIRECTORY "${SOURCE_DIR}/${folder}")
      message("README.md names the folder ${path}, which does not exist")
      math(EXPR missing "${missing} + 1")
    endif()
  elseif(NOT EXISTS "${SOURCE_DIR}/${path}")
    message("README.md names ${path}, which does not exist")
    math(EXPR missing "${missing} + 1")
  endif()
endforeach()
list(LENGTH paths count)
if(missing GREATER 0)
  message(FATAL_ERROR "${missing} of the ${count} paths README.md names do not exist")
endif()
message("README.md: all ${count} paths it names exist")
