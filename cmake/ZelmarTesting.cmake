# GoogleTest from Debian's sources, built with the same compiler and flags as the code.
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

include(GoogleTest)

# zelmar_add_test(<target> <sources...>): a GoogleTest program registered with CTest.
# Natively every case is its own CTest test. Under Wine each process start costs
# about a second, so there a program is one CTest test that runs all its cases.
function(zelmar_add_test target)
    add_executable(${target} ${ARGN})
    target_link_libraries(${target} PRIVATE GTest::gtest_main GTest::gmock zelmar_warnings)
    if(CMAKE_CROSSCOMPILING)
        add_test(NAME ${target} COMMAND ${target} --gtest_brief=1)
    else()
        gtest_discover_tests(${target} DISCOVERY_TIMEOUT 30)
    endif()
endfunction()
