# One-way layers. The shared code is a stack of libraries, each linking
# only the ones below it:
#
#   platform -> facts -> toolkit -> link_core -> link -> editors -> settings
#   -> the programs (karvel_screens, tomrik_screens)
#
# and beside it the simulator (sim: platform and facts). Every include is
# qualified by its folder ("toolkit/screen.h"), and the build refuses an
# edge that points up, twice over:
#
# - Includes: a layer is compiled with an include root of its own, a folder
#   in the build tree holding links to its own source folder and those of
#   the layers below, and nothing else. A header of a higher layer is not
#   found there: "fatal error: link/link.h: No such file or directory".
# - Calls: each layer's objects are linked whole, with only the layers
#   below, into a small check program (layer_check_<layer>). A call into a
#   higher layer, even one declared by hand, is an undefined reference
#   there. Every check is built before the programs' screens, so building
#   a program or the tests builds them all.
#
# The programs, tests, fuzz targets and benchmarks see the whole source
# root.

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
