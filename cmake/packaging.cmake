# The Debian package: `cpack -G DEB` in the build folder makes
# station-consoles_<version>_<arch>.deb from what `cmake --install` puts in
# place. The libraries the programs link are found by dpkg-shlibdeps; the
# pagers the Help menu falls back to are recommended.
set(CPACK_PACKAGE_NAME station-consoles)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Station consoles team <info@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "management consoles for small office telephone exchanges")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "karvel and tomrik are text-mode consoles for a service engineer\n\
 that show and change the configuration of two models of small office\n\
 telephone exchange over a serial line, keep whole configurations in\n\
 settings files and watch the station at work. stationsim plays either\n\
 station on a pseudo-terminal, so that the programs can be used and\n\
 tested without hardware.")
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "less, man-db")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
