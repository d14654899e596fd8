# The product's version definition: the one source of the Windows version
# resource (VERSIONINFO, via windres) and of the strings compiled into the
# Linux binaries. Read by varnel_add_version_info (cmake/VarnelResources.cmake).

set(VARNEL_VERSION_NUMBERS 2 0 0 0)          # FILEVERSION and PRODUCTVERSION
set(VARNEL_VERSION_LANGUAGE 0x0409)          # US English
set(VARNEL_VERSION_CODE_PAGE 1200)           # UTF-16: string block "040904B0"

# Fields of the string table, in the order of the version-field indices.
set(VARNEL_VERSION_CompanyName "Zentor")
set(VARNEL_VERSION_FileDescription "Varnel 2 stereo delay")
set(VARNEL_VERSION_FileVersion "2.00")
set(VARNEL_VERSION_LegalCopyright "Copyright (C) 2026 Zentor")
set(VARNEL_VERSION_ProductName "Varnel")
set(VARNEL_VERSION_ProductVersion "2.00")
# No "Comments".

# The build date ("YYYY-MM-DD", UTC): from SOURCE_DATE_EPOCH, else the date of
# the built commit; never the clock, so one commit builds the same bytes.
# Without either the field is left out.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                    WORKING_DIRECTORY ${CMAKE_CURRENT_LIST_DIR}
                    OUTPUT_VARIABLE _varnel_commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE _varnel_git_result ERROR_QUIET)
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --git-path HEAD
                    WORKING_DIRECTORY ${CMAKE_CURRENT_LIST_DIR}
                    OUTPUT_VARIABLE _varnel_head OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --symbolic-full-name HEAD
                    WORKING_DIRECTORY ${CMAKE_CURRENT_LIST_DIR}
                    OUTPUT_VARIABLE _varnel_ref OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    # A new commit configures again, so the date follows it.
    foreach(_varnel_path IN ITEMS "${_varnel_head}" "${_varnel_ref}")
      if(_varnel_path STREQUAL "HEAD" OR _varnel_path STREQUAL "")
        continue()
      endif()
      if(NOT _varnel_path STREQUAL _varnel_head)
        execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --git-path ${_varnel_path}
                        WORKING_DIRECTORY ${CMAKE_CURRENT_LIST_DIR}
                        OUTPUT_VARIABLE _varnel_path OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      endif()
      if(NOT IS_ABSOLUTE "${_varnel_path}")
        set(_varnel_path "${CMAKE_CURRENT_LIST_DIR}/${_varnel_path}")
      endif()
      if(EXISTS "${_varnel_path}")
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${_varnel_path}")
      endif()
    endforeach()
    if(_varnel_git_result EQUAL 0 AND _varnel_commit_time MATCHES "^[0-9]+$")
      set(ENV{SOURCE_DATE_EPOCH} "${_varnel_commit_time}")
      string(TIMESTAMP VARNEL_VERSION_BuildDate "%Y-%m-%d" UTC)
      unset(ENV{SOURCE_DATE_EPOCH})
    endif()
  endif()
else()
  string(TIMESTAMP VARNEL_VERSION_BuildDate "%Y-%m-%d" UTC)
endif()
