# The packages, made by CPack from what `cmake --install` puts in place:
# on Linux `cpack -G DEB` in the build folder makes the Debian package
# station-consoles_<version>_<arch>.deb; in the MinGW build `cpack -G ZIP`
# makes station-consoles-<version>-win64.zip, one folder with the programs,
# their help files, the manual, a README and the licence.
set(CPACK_PACKAGE_NAME station-consoles)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The station-consoles developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "management consoles for small office telephone exchanges")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME station-consoles-${PROJECT_VERSION}-win64)
  # Unpacked, the zip gives one folder of that name.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  include(CPack)
  return()
endif()

# Who answers for the package; a packager sets it when configuring:
#   cmake -DSTATION_MAINTAINER="Name <address>" ...
set(STATION_MAINTAINER "The station-consoles developers <station-consoles@example.org>"
  CACHE STRING "The Debian package's maintainer, \"Name <address>\"")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_CONTACT ${STATION_MAINTAINER})
# CPack puts the one blank before every line of the extended description
# itself; a line of its own that started with a blank would show unwrapped.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "karvel and tomrik are text-mode consoles for a service engineer
that show and change the configuration of two models of small office
telephone exchange over a serial line, keep whole configurations in
settings files and watch the station at work. stationsim plays either
station on a pseudo-terminal, so that the programs can be used and
tested without hardware.")
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "less, man-db")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

# The package's licence in the machine-readable form, and its history; the
# history's newest entry must be this version, or lintian (and dpkg's
# tools) would take the package for another.
set(DEBIAN_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/station-consoles)
file(STRINGS ${PROJECT_SOURCE_DIR}/data/debian/changelog newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^station-consoles \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "data/debian/changelog: the newest entry is not version ${PROJECT_VERSION}: ${newest}")
endif()
set(DEBIAN_CHANGELOG ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${DEBIAN_CHANGELOG}
  COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/data/debian/changelog > ${DEBIAN_CHANGELOG}
  DEPENDS ${PROJECT_SOURCE_DIR}/data/debian/changelog
  COMMENT "Compressing the package's changelog")
add_custom_target(debian_changelog ALL DEPENDS ${DEBIAN_CHANGELOG})
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright ${DEBIAN_CHANGELOG} DESTINATION ${DEBIAN_DOC_DIR})
# What lintian says on purpose about the package, each with its reason.
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME station-consoles)
include(CPack)
