# The fuzz targets and what each one runs. Shared by the libFuzzer build (fuzz/CMakeLists.txt) and by the
# replay programs of the ordinary build (tests/regressions), so both run the same target code.
set(TARVO_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
set(TARVO_FUZZ_TARGETS
    session_settings
    catalogue
    version_json
    version_order
    log_file_index
    number_functions)
set(TARVO_FUZZ_LIBS_session_settings launcher_core)
set(TARVO_FUZZ_LIBS_catalogue launcher_core)
set(TARVO_FUZZ_LIBS_version_json zr_updater)
set(TARVO_FUZZ_LIBS_version_order launcher_core)
set(TARVO_FUZZ_LIBS_log_file_index zr_traces)
set(TARVO_FUZZ_LIBS_number_functions zr_utils)

# tarvo_add_fuzz_logic(<executable> <target>): the target's code, the shared support and its libraries.
function(tarvo_add_fuzz_logic executable target)
    target_sources(${executable} PRIVATE ${TARVO_FUZZ_DIR}/fuzz_${target}.cpp ${TARVO_FUZZ_DIR}/FuzzSupport.cpp
        ${TARVO_FUZZ_DIR}/FuzzSupport.h)
    target_include_directories(${executable} PRIVATE ${TARVO_FUZZ_DIR})
    target_link_libraries(${executable} PRIVATE tarvo_settings ${TARVO_FUZZ_LIBS_${target}})
endfunction()
