# Flags shared by every target of every build.
add_compile_options(-ffp-contract=off)

if(ZELMAR_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

if(ZELMAR_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
    # Narrow Win32 calls take text in the system code page, as the control's callers expect.
    add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
    add_link_options(-static-libgcc -static-libstdc++)
endif()

# Each unit chooses its platform file; shared files carry no #ifdef blocks.
if(WIN32)
    set(ZELMAR_PLATFORM win32)
else()
    set(ZELMAR_PLATFORM posix)
endif()

# Our own warnings; added after third-party sources so they apply to our targets only.
macro(zelmar_enable_warnings)
    add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
endmacro()
