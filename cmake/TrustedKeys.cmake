# The public keys (minisign's .pub files) that the launcher trusts for signed package indexes from the
# start; empty by default: a user adds keys in the trust folder or with --trusted-key. The keys are
# compiled in through generated/TarvoTrustedKeys.h.
set(TARVO_TRUSTED_KEYS "" CACHE STRING "minisign public key files (.pub) the launcher trusts, a CMake list")
set(TARVO_BUILT_IN_KEYS "")
foreach(key_file ${TARVO_TRUSTED_KEYS})
    if(NOT EXISTS ${key_file})
        message(FATAL_ERROR "TARVO_TRUSTED_KEYS: no key file ${key_file}")
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${key_file})
    file(STRINGS ${key_file} key_lines)
    list(FILTER key_lines EXCLUDE REGEX "^untrusted comment:")
    list(LENGTH key_lines key_line_count)
    if(NOT key_line_count EQUAL 1 OR NOT key_lines MATCHES "^RW[A-Za-z0-9+/=]+$")
        message(FATAL_ERROR "TARVO_TRUSTED_KEYS: ${key_file} is no minisign public key")
    endif()
    string(APPEND TARVO_BUILT_IN_KEYS "\"${key_lines}\", ")
    message(STATUS "Trusted key built in: ${key_file}")
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/cmake/TarvoTrustedKeys.h.in ${CMAKE_BINARY_DIR}/generated/TarvoTrustedKeys.h
    @ONLY)
