# The Debian package, built by `cpack` from the install rules.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VENDOR "Talbrisk")
set(CPACK_PACKAGE_CONTACT "Talbrisk <packages@talbrisk.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "number puzzle: swap tiles in rows and columns to clear the board")
set(CPACK_PACKAGE_HOMEPAGE_URL "http://www.talbrisk.example")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Talbrisk <packages@talbrisk.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}
A ten by ten board of tiles numbered 1 to 100. Two tiles picked in the same
row or column swap places, their numbers are added (less 100 past 100), and
the tile bearing the result leaves the board. Every move is logged and can
be replayed; three built-in solutions show how the board is cleared.")
# The libraries linked by the program come from dpkg-shlibdeps; what Qt loads at run time
# (fonts for the Chinese texts, the Wayland platform plugin) it cannot see.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-zenhei | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")

include(CPack)
