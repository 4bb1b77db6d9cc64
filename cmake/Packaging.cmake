# Installation and the Debian package.
#
# The launcher installs simulator packages (TARVO_<v>/...) into the folder that holds its own executable
# and looks for zip/unzip there before PATH. So the launcher keeps a folder of its own: the install tree
# below CMAKE_INSTALL_PREFIX is
#   bin/Tarvo4kSimulator, bin/ZR_APP_SIMULATOR, bin/tarvo-update-server    (simulator packages go in bin/)
#   share/tarvo4ksimulator/update-server-content/                       (what tarvo-update-server serves)
#   share/applications/tarvo4ksimulator.desktop
#   share/icons/hicolor/{256x256,scalable}/apps/tarvo4ksimulator.{png,svg}
# `cmake --install <build> --prefix ~/.local` gives a copy of one's own that installs packages freely.
#
# The Debian package puts that tree under /opt/tarvo4ksimulator (the place for an add-on program that keeps
# its own folder), except the desktop entry and the icons, which go to /usr/share where desktops find them,
# and adds the link /usr/bin/Tarvo4kSimulator -> /opt/tarvo4ksimulator/bin/Tarvo4kSimulator. The launcher
# resolves that link to find its folder. Installing simulator packages needs write access to
# /opt/tarvo4ksimulator/bin: run it as root, or give the folder to the user who manages the packages.

set(TARVO_PACKAGE_PREFIX "/opt/tarvo4ksimulator" CACHE PATH "Where the Debian package puts the launcher's folder")

set(TARVO_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)

# Desktop entry and icons: a component of their own, so the package can put them under /usr.
install(FILES ${TARVO_PACKAGING_DIR}/tarvo4ksimulator.desktop
    DESTINATION share/applications COMPONENT desktop)
install(FILES ${TARVO_PACKAGING_DIR}/tarvo4ksimulator.png
    DESTINATION share/icons/hicolor/256x256/apps COMPONENT desktop)
install(FILES ${TARVO_PACKAGING_DIR}/tarvo4ksimulator.svg
    DESTINATION share/icons/hicolor/scalable/apps COMPONENT desktop)

# The command on PATH for the package only: in an install tree bin/ holds the launcher itself.
set(tarvo_command_link ${CMAKE_BINARY_DIR}/packaging/Tarvo4kSimulator)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
file(CREATE_LINK ${TARVO_PACKAGE_PREFIX}/bin/Tarvo4kSimulator ${tarvo_command_link} SYMBOLIC)
install(FILES ${tarvo_command_link} DESTINATION bin COMPONENT command_link EXCLUDE_FROM_ALL)

# Debian package: tarvo4ksimulator_<version>_<arch>.deb.
set(CPACK_PACKAGE_NAME "tarvo4ksimulator")
set(CPACK_PACKAGE_VENDOR "Vorntal")
set(CPACK_PACKAGE_CONTACT "Tarvo 4k Simulator maintainers <tarvo4ksimulator@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Launcher for the Tarvo 4k Simulator")
set(CPACK_PACKAGE_DESCRIPTION
    "Keeps a list of simulated Tarvo 4k video-processing devices (sessions), starts their simulator,\n\
opens their web control page, installs simulator packages from the update server and\n\
exports and imports sessions. Comes with a stand-in simulator program and a local update server.")
set(CPACK_GENERATOR "DEB")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "/")
# The program's folder under /opt, the desktop files under /usr, the command link in /usr/bin. Every
# install rule without a COMPONENT (CMake's default component "Unspecified") belongs to the folder.
string(REGEX REPLACE "^/" "" tarvo_package_prefix_relative "${TARVO_PACKAGE_PREFIX}")
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};Unspecified;/${tarvo_package_prefix_relative}"
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};desktop;/usr"
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};command_link;/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "devel")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beyond the shared libraries: the archive tools run as programs, Qt's SVG image plugin and the fonts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "zip, unzip, libqt5svg5, fonts-open-sans, xdg-utils")
configure_file(${TARVO_PACKAGING_DIR}/postrm.in ${CMAKE_BINARY_DIR}/packaging/postrm @ONLY)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
