# Resource collections of launcher_widgets beyond the plain .qrc files of this folder.
# Included from mng_launcher/CMakeLists.txt after launcher_widgets is defined.

# The Open Sans faces come from the installed Debian package fonts-open-sans: the collection that
# names them is written at configure time with the absolute paths of the installed files.
set(TARVO_OPEN_SANS_DIR "/usr/share/fonts/truetype/open-sans" CACHE PATH
    "Folder of the installed Open Sans faces (Debian package fonts-open-sans)")
foreach(face Regular Bold BoldItalic ExtraBold ExtraBoldItalic Italic Light LightItalic Semibold SemiboldItalic)
    if(NOT EXISTS "${TARVO_OPEN_SANS_DIR}/OpenSans-${face}.ttf")
        message(FATAL_ERROR "OpenSans-${face}.ttf is missing from ${TARVO_OPEN_SANS_DIR}: "
            "install fonts-open-sans (scripts/install-deps.sh) or set TARVO_OPEN_SANS_DIR")
    endif()
endforeach()
set(TARVO_FONTS_QRC ${CMAKE_CURRENT_BINARY_DIR}/resources/launcher_fonts.qrc)
configure_file(${CMAKE_CURRENT_LIST_DIR}/launcher_fonts.qrc.in ${TARVO_FONTS_QRC} @ONLY)
target_sources(launcher_widgets PRIVATE ${TARVO_FONTS_QRC})

# A static library's resources are linked in only through Q_INIT_RESOURCE: InitLauncherResources()
# includes the list of every collection of launcher_widgets written here.
file(GLOB TARVO_LAUNCHER_QRC CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.qrc)
list(APPEND TARVO_LAUNCHER_QRC ${TARVO_FONTS_QRC})
set(TARVO_RESOURCE_INIT_CALLS "")
foreach(qrc ${TARVO_LAUNCHER_QRC})
    get_filename_component(qrc_name ${qrc} NAME_WE)
    string(APPEND TARVO_RESOURCE_INIT_CALLS "Q_INIT_RESOURCE(${qrc_name});\n")
endforeach()
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/generated/GUI_LauncherResources.inc
    CONTENT "@TARVO_RESOURCE_INIT_CALLS@" @ONLY)
target_include_directories(launcher_widgets PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated)
