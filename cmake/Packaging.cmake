# Installation and the Debian package.
#
# The launcher installs simulator packages (TARVO_<v>/...) into the folder that holds its own executable
# and looks for zip/unzip there before PATH. So the launcher keeps a folder of its own: the install tree
# below CMAKE_INSTALL_PREFIX is
#   bin/Tarvo4kSimulator, bin/ZR_APP_SIMULATOR, bin/tarvo-update-server    (simulator packages go in bin/)
#   share/tarvo4ksimulator/update-server-content/                       (what tarvo-update-server serves)
# and, where desktops, software centres, man and the shells look (the component "integration"),
#   share/applications/<id>.desktop, share/metainfo/<id>.metainfo.xml
#   share/icons/hicolor/<n>x<n>/apps/<id>.png (n = 16 ... 256), share/icons/hicolor/scalable/apps/<id>.svg
#   share/man/man1/Tarvo4kSimulator.1.gz
#   share/bash-completion/completions/Tarvo4kSimulator, share/zsh/vendor-completions/_Tarvo4kSimulator
#   share/doc/tarvo4ksimulator/{copyright,changelog.gz}
# where <id> is the application id below. `cmake --install <build> --prefix ~/.local` gives a copy of
# one's own that installs packages freely.
#
# The Debian package puts the launcher's folder under /opt/tarvo4ksimulator (the place for an add-on
# program that keeps its own folder), the integration files under /usr, and adds (the component "debian")
# the link /usr/bin/Tarvo4kSimulator -> /opt/tarvo4ksimulator/bin/Tarvo4kSimulator, the Debian changelog
# and lintian's overrides. The launcher resolves that link to find its folder. Installing simulator
# packages into /opt/tarvo4ksimulator/bin needs write access there; other users get their own folder.

set(TARVO_PACKAGE_PREFIX "/opt/tarvo4ksimulator" CACHE PATH "Where the Debian package puts the launcher's folder")

set(TARVO_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(TARVO_PACKAGING_BINARY_DIR ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${TARVO_PACKAGING_BINARY_DIR})

# The application id names the desktop entry, the icons and the AppStream data; the launcher gives it to
# the window system (QGuiApplication::setDesktopFileName), which matches its windows to the entry by it.
# The executable and the application name stay Tarvo4kSimulator: the sessions and log folders carry it.
set(TARVO_APPLICATION_ID "com.vorntal.Tarvo4kSimulator")
set(TARVO_DEB_PACKAGE_NAME "tarvo4ksimulator")
set_property(SOURCE ${CMAKE_SOURCE_DIR}/mng_launcher/APP/APP_LauncherMain.cpp
    DIRECTORY ${CMAKE_SOURCE_DIR}/mng_launcher
    APPEND PROPERTY COMPILE_DEFINITIONS TARVO_APPLICATION_ID="${TARVO_APPLICATION_ID}")
# The window icon is the desktop entry's icon, built into the program.
target_sources(Tarvo4kSimulator PRIVATE ${TARVO_PACKAGING_DIR}/application_icon.qrc)

# --- the integration files -------------------------------------------------------------------------------
set(tarvo_icon_svg ${TARVO_PACKAGING_DIR}/${TARVO_APPLICATION_ID}.svg)
install(FILES ${TARVO_PACKAGING_DIR}/${TARVO_APPLICATION_ID}.desktop
    DESTINATION share/applications COMPONENT integration)
install(FILES ${TARVO_PACKAGING_DIR}/${TARVO_APPLICATION_ID}.metainfo.xml
    DESTINATION share/metainfo COMPONENT integration)
install(FILES ${tarvo_icon_svg} DESTINATION share/icons/hicolor/scalable/apps COMPONENT integration)
install(FILES ${TARVO_PACKAGING_DIR}/completion/Tarvo4kSimulator.bash
    DESTINATION share/bash-completion/completions RENAME Tarvo4kSimulator COMPONENT integration)
install(FILES ${TARVO_PACKAGING_DIR}/completion/_Tarvo4kSimulator
    DESTINATION share/zsh/vendor-completions COMPONENT integration)
install(FILES ${TARVO_PACKAGING_DIR}/copyright
    DESTINATION share/doc/${TARVO_DEB_PACKAGE_NAME} COMPONENT integration)

# The hicolor PNG icons are drawn from the SVG at build time.
find_program(RSVG_CONVERT_EXE rsvg-convert)
if(NOT RSVG_CONVERT_EXE)
    message(FATAL_ERROR "rsvg-convert is missing: install librsvg2-bin (scripts/install-deps.sh)")
endif()
set(tarvo_icon_pngs "")
foreach(size 16 24 32 48 64 128 256)
    set(png ${TARVO_PACKAGING_BINARY_DIR}/icons/${size}x${size}/${TARVO_APPLICATION_ID}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${TARVO_PACKAGING_BINARY_DIR}/icons/${size}x${size}
        COMMAND ${RSVG_CONVERT_EXE} --width ${size} --height ${size} --output ${png} ${tarvo_icon_svg}
        DEPENDS ${tarvo_icon_svg}
        COMMENT "Drawing the ${size}x${size} icon"
        VERBATIM)
    list(APPEND tarvo_icon_pngs ${png})
    install(FILES ${png} DESTINATION share/icons/hicolor/${size}x${size}/apps COMPONENT integration)
endforeach()

# The manual page and the changelogs are installed compressed, without a time stamp (gzip -n).
set(tarvo_gzipped_files "")
function(tarvo_gzip source output)
    add_custom_command(OUTPUT ${output}
        COMMAND sh -c "gzip -9 -n -c \"$1\" > \"$2\"" sh ${source} ${output}
        DEPENDS ${source}
        VERBATIM)
    set(tarvo_gzipped_files ${tarvo_gzipped_files} ${output} PARENT_SCOPE)
endfunction()
tarvo_gzip(${TARVO_PACKAGING_DIR}/Tarvo4kSimulator.1 ${TARVO_PACKAGING_BINARY_DIR}/Tarvo4kSimulator.1.gz)
tarvo_gzip(${TARVO_PACKAGING_DIR}/changelog ${TARVO_PACKAGING_BINARY_DIR}/changelog.gz)
tarvo_gzip(${TARVO_PACKAGING_DIR}/changelog.Debian ${TARVO_PACKAGING_BINARY_DIR}/changelog.Debian.gz)
install(FILES ${TARVO_PACKAGING_BINARY_DIR}/Tarvo4kSimulator.1.gz DESTINATION share/man/man1 COMPONENT integration)
install(FILES ${TARVO_PACKAGING_BINARY_DIR}/changelog.gz
    DESTINATION share/doc/${TARVO_DEB_PACKAGE_NAME} COMPONENT integration)

add_custom_target(desktop_integration_files ALL DEPENDS ${tarvo_icon_pngs} ${tarvo_gzipped_files})

# --- the package's own files ------------------------------------------------------------------------------
# The command on PATH for the package only: in an install tree bin/ holds the launcher itself.
set(tarvo_command_link ${TARVO_PACKAGING_BINARY_DIR}/Tarvo4kSimulator)
file(CREATE_LINK ${TARVO_PACKAGE_PREFIX}/bin/Tarvo4kSimulator ${tarvo_command_link} SYMBOLIC)
install(FILES ${tarvo_command_link} DESTINATION bin COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${TARVO_PACKAGING_BINARY_DIR}/changelog.Debian.gz
    DESTINATION share/doc/${TARVO_DEB_PACKAGE_NAME} COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${TARVO_PACKAGING_DIR}/${TARVO_DEB_PACKAGE_NAME}.lintian-overrides
    DESTINATION share/lintian/overrides RENAME ${TARVO_DEB_PACKAGE_NAME} COMPONENT debian EXCLUDE_FROM_ALL)

# Debian package: tarvo4ksimulator_<version>-<release>_<arch>.deb.
set(CPACK_PACKAGE_NAME "${TARVO_DEB_PACKAGE_NAME}")
set(CPACK_PACKAGE_VENDOR "Vorntal")
set(CPACK_PACKAGE_CONTACT "Tarvo launcher team <launcher@vorntal.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "launcher of the Tarvo 4k Simulator")
set(CPACK_PACKAGE_DESCRIPTION
    "Keeps a list of simulated Tarvo 4k video-processing devices (sessions),\n\
starts their simulator, opens their web control page, installs simulator\n\
packages from the update server and exports and imports sessions. Comes with\n\
a stand-in simulator program and a local update server.")
set(CPACK_GENERATOR "DEB")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "/")
# The program's folder under /opt, the integration files and the package's own under /usr. Every install
# rule without a COMPONENT (CMake's default component "Unspecified") belongs to the folder.
string(REGEX REPLACE "^/" "" tarvo_package_prefix_relative "${TARVO_PACKAGE_PREFIX}")
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};Unspecified;/${tarvo_package_prefix_relative}"
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};integration;/usr"
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};debian;/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The package's version is the newest entry of the Debian changelog, <version>-<release> (1.5.3-1): a
# packaging release of its own, so the upstream changelog and the Debian changelog stand apart.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TARVO_PACKAGING_DIR}/changelog.Debian)
file(STRINGS ${TARVO_PACKAGING_DIR}/changelog.Debian tarvo_changelog_head LIMIT_COUNT 1)
string(REPLACE "." "\\." tarvo_version_pattern "${PROJECT_VERSION}")
if(NOT tarvo_changelog_head MATCHES "^${TARVO_DEB_PACKAGE_NAME} \\(${tarvo_version_pattern}-([0-9]+)\\) ")
    message(FATAL_ERROR "packaging/changelog.Debian: the newest entry is not ${PROJECT_VERSION}-<release>; "
        "add an entry for this version")
endif()
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMAKE_MATCH_1})
set(CPACK_DEBIAN_PACKAGE_SECTION "misc")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beyond the shared libraries: the archive tools run as programs, Qt's SVG image plugin and the fonts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "zip, unzip, libqt5svg5, fonts-open-sans, xdg-utils")
configure_file(${TARVO_PACKAGING_DIR}/postrm.in ${TARVO_PACKAGING_BINARY_DIR}/postrm @ONLY)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${TARVO_PACKAGING_BINARY_DIR}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
