# The Debian package, made by scripts/package (cpack -G DEB): lumaret_<version>_<arch>.deb
# with the programs, the updater in its private folder and the desktop files.
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

include(CPack)
