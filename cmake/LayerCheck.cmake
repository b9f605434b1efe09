# add_layer_check(<target>): before <target> builds, its sources are checked
# for includes that reach a layer they may not see (see CheckLayers.cmake).
function(add_layer_check target)
  get_target_property(sources ${target} SOURCES)
  get_target_property(dir ${target} SOURCE_DIR)
  set(files "")
  foreach(source IN LISTS sources)
    get_filename_component(path "${source}" ABSOLUTE BASE_DIR "${dir}")
    file(RELATIVE_PATH relative "${PROJECT_SOURCE_DIR}/src" "${path}")
    list(APPEND files "${relative}")
    list(APPEND absolute "${path}")
  endforeach()
  # One argument on the command line: '|' stands for the list separator.
  string(REPLACE ";" "|" files "${files}")
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}_layers.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR}/src "-DFILES=${files}"
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${absolute} ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
    COMMENT "Checking the include layers of ${target}"
    VERBATIM)
  add_custom_target(${target}_layers DEPENDS ${stamp})
  add_dependencies(${target} ${target}_layers)
endfunction()
