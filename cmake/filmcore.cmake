# Shared build settings and the test helpers every subsystem uses.

function(filmcore_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter)
endfunction()

# A test of portable code: built in the native tree (ASan/UBSan) and in the
# Windows tree, where it runs under Wine.
function(filmcore_test name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE filmcore_static filmcore_test_support GTest::gtest_main)
    filmcore_warnings(${name})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()

# A test of Win32 code: Windows tree only, run under Wine.
function(filmcore_win32_test name)
    if(NOT WIN32)
        return()
    endif()
    filmcore_test(${name} ${ARGN})
    # Every Windows test shares the prefix's c:\nqt folder: the log that scan
    # programming, the scan pipeline and start-up append to, and the temp files.
    # They load the module and the installed virtual digitizer: both come first.
    if(TARGET ${name})
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK wine_nqt_folder)
        add_dependencies(${name} FilmCore scankit32)
    endif()
endfunction()
