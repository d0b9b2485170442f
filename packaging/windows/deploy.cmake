# Puts everything VeskMeeting.exe loads beside it in DIR: the Qt plugins it
# needs, libical's zone data, config.ini, and every DLL any program or DLL
# there imports, found in SEARCH (the cross libraries, the mingw runtime).
# Run with -DDIR= -DPREFIX= -DSRC= -DOBJDUMP= -DSEARCH="a;b".
cmake_minimum_required(VERSION 3.16)

foreach(plugin platforms/qwindows.dll styles/qwindowsvistastyle.dll imageformats/qico.dll
    imageformats/qgif.dll)
  get_filename_component(sub ${plugin} DIRECTORY)
  file(COPY ${PREFIX}/plugins/${plugin} DESTINATION ${DIR}/${sub})
endforeach()
# libical's built-in zone data (the program points libical at it).
file(COPY ${PREFIX}/share/libical/zoneinfo DESTINATION ${DIR})
# The settings file with every key commented out, as the setup program ships it.
if(NOT EXISTS ${DIR}/config.ini)
  file(COPY ${SRC}/packaging/config.ini DESTINATION ${DIR})
endif()

# The import closure: repeat until no program or DLL beside the program
# imports a DLL that is in SEARCH but not yet copied.
set(copied 1)
while(copied)
  set(copied 0)
  file(GLOB_RECURSE binaries ${DIR}/*.exe ${DIR}/*.dll)
  file(GLOB present RELATIVE ${DIR} ${DIR}/*.dll)
  string(TOLOWER "${present}" present)
  foreach(binary ${binaries})
    execute_process(COMMAND ${OBJDUMP} -p ${binary} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "${OBJDUMP} cannot read ${binary}")
    endif()
    string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
    foreach(line ${imports})
      string(REGEX REPLACE "DLL Name: " "" name "${line}")
      string(STRIP "${name}" name)
      string(TOLOWER "${name}" lower)
      if(lower IN_LIST present)
        continue()
      endif()
      foreach(folder ${SEARCH})
        file(GLOB found ${folder}/${name})
        if(NOT found)
          # Folder listings are case-sensitive here, imports are not.
          file(GLOB candidates ${folder}/*.dll)
          foreach(c ${candidates})
            get_filename_component(cname ${c} NAME)
            string(TOLOWER "${cname}" cname)
            if(cname STREQUAL lower)
              set(found ${c})
            endif()
          endforeach()
        endif()
        if(found)
          file(COPY ${found} DESTINATION ${DIR})
          list(APPEND present ${lower})
          set(copied 1)
          break()
        endif()
      endforeach()
    endforeach()
  endforeach()
endwhile()
