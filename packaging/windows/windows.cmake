# The Windows program folder and its setup program (cross build only).
#   cmake --build build-win32 --target setup   -> VeskMeeting-Setup-<version>.exe
# bin/ becomes the program folder as it is installed: the deploy step puts
# every DLL, plugin and data file the program loads beside it.
# VESK_SIGN_CERT/VESK_SIGN_KEY (PEM): sign VeskMeeting.exe, the setup program
# and its uninstaller with osslsigncode.
find_program(VESK_OBJDUMP ${VESK_WIN32_TRIPLE}-objdump REQUIRED)
find_program(VESK_MAKENSIS makensis)
find_program(VESK_OSSLSIGNCODE osslsigncode)
set(VESK_SIGN_CERT "" CACHE FILEPATH "Code-signing certificate (PEM) for the Windows program and setup program")
set(VESK_SIGN_KEY "" CACHE FILEPATH "Private key (PEM) of VESK_SIGN_CERT")

execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-libgcc-file-name OUTPUT_VARIABLE libgcc
  OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(VESK_MINGW_RUNTIME_DIR ${libgcc} DIRECTORY)
set(VESK_DEPLOY_SEARCH ${VESK_WIN32_PREFIX}/bin ${VESK_MINGW_RUNTIME_DIR} /usr/${VESK_WIN32_TRIPLE}/lib)

add_custom_target(deploy ALL
  COMMAND ${CMAKE_COMMAND} -DDIR=${CMAKE_BINARY_DIR}/bin -DPREFIX=${VESK_WIN32_PREFIX}
          -DSRC=${CMAKE_SOURCE_DIR} -DOBJDUMP=${VESK_OBJDUMP} "-DSEARCH=${VESK_DEPLOY_SEARCH}"
          -P ${CMAKE_SOURCE_DIR}/packaging/windows/deploy.cmake
  COMMENT "Placing what VeskMeeting.exe loads beside it"
  VERBATIM)
add_dependencies(deploy VeskMeeting beside_exe agreement_pdfs ${VESK_SDK_TARGETS})
if(TARGET wemeetsdk_beside_exe)
  add_dependencies(deploy wemeetsdk_beside_exe)
endif()

# The setup program, from a copy of the program folder (signed there when a
# certificate is given, so bin/ stays as built).
set(VESK_SETUP ${CMAKE_BINARY_DIR}/VeskMeeting-Setup-${PROJECT_VERSION}.exe)
set(sign_args)
if(VESK_SIGN_CERT AND VESK_SIGN_KEY)
  if(NOT VESK_OSSLSIGNCODE)
    message(FATAL_ERROR "VESK_SIGN_CERT is set but osslsigncode is missing (scripts/setup.sh installs it)")
  endif()
  set(sign_args -DSIGNCODE=${VESK_OSSLSIGNCODE} -DCERT=${VESK_SIGN_CERT} -DKEY=${VESK_SIGN_KEY})
endif()
add_custom_target(setup
  COMMAND ${CMAKE_COMMAND} -DDIR=${CMAKE_BINARY_DIR}/bin -DSTAGE=${CMAKE_BINARY_DIR}/setup-stage
          -DOUT=${VESK_SETUP} -DVERSION=${PROJECT_VERSION} -DMAKENSIS=${VESK_MAKENSIS}
          -DNSI=${CMAKE_SOURCE_DIR}/packaging/windows/veskmeeting.nsi ${sign_args}
          -P ${CMAKE_SOURCE_DIR}/packaging/windows/setup.cmake
  COMMENT "Making VeskMeeting-Setup-${PROJECT_VERSION}.exe"
  VERBATIM)
add_dependencies(setup deploy)
