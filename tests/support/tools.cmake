# Screenshot and gallery programs: built like the tests, but run on demand by
# the "screenshots" target (under Xvfb when xvfb-run is installed, otherwise
# offscreen), never by ctest: they make pictures, they prove nothing.
include_guard(GLOBAL)
find_program(XVFB_RUN xvfb-run)
add_custom_target(screenshots)

function(vesk_add_tool name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE Qt5::Test ${T_LIBS} vesk_testsupport vesk_testsupport_widgets)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TEST_BIN_DIR}
    BUILD_RPATH "${CMAKE_BINARY_DIR}/bin")
  target_compile_definitions(${name} PRIVATE
    VESK_BIN_DIR="${CMAKE_BINARY_DIR}/bin" VESK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  add_dependencies(${name} beside_exe)
  if(XVFB_RUN)
    set(run ${XVFB_RUN} -a -s "-screen 0 1280x800x24" ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=xcb)
  else()
    set(run ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen)
  endif()
  add_custom_target(run_${name}
    COMMAND ${run} QT_LOGGING_TO_CONSOLE=1 ${T_ENV} $<TARGET_FILE:${name}>
    DEPENDS ${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} USES_TERMINAL VERBATIM)
  add_dependencies(screenshots run_${name})
endfunction()
