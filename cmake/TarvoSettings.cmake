# One interface target that every target links: language level, warnings, strict Qt defines,
# include roots and the sanitizers when asked for.
add_library(tarvo_settings INTERFACE)
target_compile_features(tarvo_settings INTERFACE cxx_std_17)
target_compile_options(tarvo_settings INTERFACE -Wall -Wextra -Wold-style-cast -Wnon-virtual-dtor
    -Woverloaded-virtual -Wsuggest-override)
if(TARVO_WERROR)
    target_compile_options(tarvo_settings INTERFACE -Werror)
endif()
target_compile_definitions(tarvo_settings INTERFACE
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_STRICT_ITERATORS
    QT_DEPRECATED_WARNINGS
    TARVO_UPDATE_SERVER="${TARVO_UPDATE_SERVER}"
    TARVO_PROBE_URL="${TARVO_PROBE_URL_EFFECTIVE}")
# The launcher's version, from project(VERSION), for the window title, the about box and the updater.
configure_file(${CMAKE_SOURCE_DIR}/cmake/LauncherVersion.h.in ${CMAKE_BINARY_DIR}/generated/LauncherVersion.h @ONLY)
target_include_directories(tarvo_settings INTERFACE
    ${CMAKE_SOURCE_DIR}/mng_launcher
    ${CMAKE_SOURCE_DIR}/mng_launcher/MODULES
    ${CMAKE_BINARY_DIR}/generated)
if(ENABLE_SANITIZERS)
    target_compile_options(tarvo_settings INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
        -fno-sanitize-recover=undefined)
    target_link_options(tarvo_settings INTERFACE -fsanitize=address,undefined)
endif()

# tarvo_add_library(<name> <folder> LIBS ...): a static library of every source in <folder>.
function(tarvo_add_library name folder)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp ${folder}/*.h)
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC tarvo_settings ${ARG_LIBS})
endfunction()

# tarvo_add_test(<name> SOURCES ... LIBS ... [LABELS ...]): one QtTest executable registered with CTest,
# run offscreen with its own temporary HOME so that nothing is written outside temporary folders.
function(tarvo_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE tarvo_settings Qt5::Test ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TARVO_SOURCE_DIR=${CMAKE_SOURCE_DIR};TARVO_BINARY_DIR=${CMAKE_BINARY_DIR}"
        TIMEOUT ${ARG_TIMEOUT}
        LABELS "${ARG_LABELS}")
endfunction()
