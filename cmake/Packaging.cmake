# The Debian package, made by scripts/package (cpack -G DEB): lumaret_<version>_<arch>.deb
# with the programs, the updater in its private folder, the desktop files, and the
# copyright and changelog that distributions ask for.
set(LUMARET_PACKAGE_MAINTAINER "The Lumaret developers <lumaret@users.noreply.github.com>"
    CACHE STRING "The Debian package's maintainer, as \"Name <address>\"")

set(CPACK_PACKAGE_NAME lumaret)
set(CPACK_PACKAGE_VENDOR "The Lumaret developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "workbench for a serial colour LCD controller board")
set(CPACK_PACKAGE_DESCRIPTION [=[
Lumaret drives a colour LCD controller board on a serial port: draw on its
screen, type text in its fonts, send it pictures, capture desktop fonts for
it, switch its backlight, beeper and touch screen, and run its firmware
updater. A built-in board simulator works without hardware, and
lumaret-board plays the board on a pseudo-terminal for other programs.]=])
set(CPACK_PACKAGE_CONTACT ${LUMARET_PACKAGE_MAINTAINER})
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${LUMARET_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${LUMARET_HOMEPAGE})
# The libraries come from the programs themselves (dpkg-shlibdeps); Qt's platform
# plugins and a font are loaded at run time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-core")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

# What a distribution asks of every package: the licence in the machine-readable
# copyright format and the changelog, compressed, in the package's documentation folder.
# The dates follow SOURCE_DATE_EPOCH where it is set, so that builds repeat.
if(UNIX AND NOT APPLE)
  string(TIMESTAMP LUMARET_COPYRIGHT_YEARS "%Y" UTC)
  string(TIMESTAMP LUMARET_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
  set(package_docs ${CMAKE_BINARY_DIR}/package-docs)
  configure_file(data/debian/copyright.in ${package_docs}/copyright @ONLY)
  configure_file(data/debian/changelog.in ${package_docs}/changelog @ONLY)
  find_program(GZIP_PROGRAM gzip REQUIRED)
  add_custom_command(OUTPUT ${package_docs}/changelog.gz
    COMMAND ${GZIP_PROGRAM} -9nf -k ${package_docs}/changelog
    DEPENDS ${package_docs}/changelog
    COMMENT "Compressing the package's changelog" VERBATIM)
  add_custom_target(lumaret_package_docs ALL DEPENDS ${package_docs}/changelog.gz)
  install(FILES ${package_docs}/copyright ${package_docs}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lumaret)
endif()

include(CPack)
