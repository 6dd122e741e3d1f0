# add_version_resource(TARGET DESCRIPTION): on Windows the program carries
# its version in a version resource (file and product version, description,
# copyright), compiled by the toolchain's windres; Explorer shows it in the
# file's properties. Elsewhere the version is `--version`'s alone.
if(WIN32)
  enable_language(RC)
endif()

function(add_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  set(STATION_RC_NAME ${target})
  set(STATION_RC_DESCRIPTION ${description})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
