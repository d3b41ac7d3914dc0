# Flags shared by every target of every build.
add_compile_options(-ffp-contract=off)

if(ZELMAR_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

if(ZELMAR_FUZZ)
    # A finding of either sanitizer ends the run, so that the fuzzer keeps the input.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
    # Narrow Win32 calls take text in the system code page, as the control's callers expect.
    add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501)
    add_link_options(-static-libgcc -static-libstdc++)
endif()

# Each unit chooses its platform file; shared files carry no #ifdef blocks.
if(WIN32)
    set(ZELMAR_PLATFORM win32)
else()
    set(ZELMAR_PLATFORM posix)
endif()

# Our own warnings, for our targets only: each links zelmar_warnings.
add_library(zelmar_warnings INTERFACE)
target_compile_options(zelmar_warnings INTERFACE $<$<COMPILE_LANGUAGE:C,CXX>:
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
    $<$<BOOL:${ZELMAR_WERROR}>:-Werror>>)

# The one version number, for every resource, text and package that shows it.
set(ZELMAR_VERSION_SHORT "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/zelmar_version.h.in
               ${CMAKE_BINARY_DIR}/generated/zelmar_version.h @ONLY)
add_library(zelmar_version INTERFACE)
target_include_directories(zelmar_version INTERFACE ${CMAKE_BINARY_DIR}/generated)

# zelmar_check_module(<target> [export ...]): after each link, the module must
# export exactly these names and import only reviewed system functions.
function(zelmar_check_module target)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/check_module.sh ${CMAKE_OBJDUMP}
                $<TARGET_FILE:${target}> ${PROJECT_SOURCE_DIR}/cmake/xp-imports.txt ${ARGN}
        VERBATIM)
endfunction()
