# add_area_test(<name> SOURCES <files...> [LIBS <libs...>] [LABELS <labels...>])
# One test executable per area, run offscreen through CTest.
function(add_area_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE cfgtestsupport Qt6::Test ${T_LIBS})
  # Tests reach the simulator program through CFG_SIMULATOR.
  add_dependencies(${name} devsim)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;CFG_SIMULATOR=$<TARGET_FILE:devsim>"
    TIMEOUT 300
    LABELS "${T_LABELS}")
endfunction()
