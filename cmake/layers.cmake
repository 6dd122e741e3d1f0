# The layers' include roots and check programs; the top CMakeLists.txt
# tells how they keep the layers one-way.

set(LAYER_ROOTS ${CMAKE_BINARY_DIR}/layers)
add_custom_target(layer_checks)

# The include root of `target`: links to the named source folders.
function(layer_include_root target)
  set(root ${LAYER_ROOTS}/${target})
  file(MAKE_DIRECTORY ${root})
  foreach(folder ${ARGN})
    if(NOT IS_SYMLINK ${root}/${folder})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} PUBLIC ${root})
endfunction()

# The check program of a layer: its objects whole, the layers below as
# needed.
function(layer_check target)
  set(check layer_check_${target})
  add_executable(${check} ${CMAKE_SOURCE_DIR}/cmake/layer_check.cpp)
  set_target_properties(${check} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/layer_checks)
  target_link_libraries(${check} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${target}>")
  add_dependencies(layer_checks ${check})
endfunction()
