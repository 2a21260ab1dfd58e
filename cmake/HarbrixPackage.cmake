# The Debian package, built with CPack from the install rules (cmake/HarbrixInstall.cmake):
#   cmake --build build --target package    ->  build/package/harbrix_VERSION_ARCH.deb
# Its dependencies come from dpkg-shlibdeps on the programs it holds; only what no program
# links shows here by hand: Qt's platform plugins, which Qt loads at run time.
if(APPLE)
    return()
endif()
set(HARBRIX_MAINTAINER "Harbrix developers <harbrix@brellwick.com>"
    CACHE STRING "The Debian package's maintainer")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME harbrix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR QOR)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "companion for the MIV III and NAX III guitar pedals")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${HARBRIX_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The summary above is the description's first line; this is the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Harbrix finds the MIV III and NAX III pitch-shifting pedals connected by USB
and mirrors their 100 preset slots and global settings. It moves, copies,
swaps, deletes, imports and exports presets, edits a preset with undo and
redo, changes the MIDI and display settings and updates the pedal's firmware.
.
The package installs the udev rule that names the pedals' serial ports and
lets the user at the seat open them, and harbrixctl, which does the same
from a terminal.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/debian/postinst ${PROJECT_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
