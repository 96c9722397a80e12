# Every file named *_test.cpp in a test folder becomes one test program, so that a broken test file
# never stops the others from building. Files named *_xtest.cpp need a real X display (Xvfb): they
# run on the xcb platform with the DISPLAY that the test command exports, and without one they fail,
# naming what is missing (tests/support/requirements.h).
# Test programs listed with THREADED are also built and run under ThreadSanitizer; those listed
# with UNSANITIZED measure memory and are built only without the sanitizers, whose allocators
# change every figure.
# A test program links the objects of Tarquel and Zorvane into itself (VANTOR_LINKS_INTERNALS,
# read by tarquel_link and zorvane_link), so that it reaches what the shared libraries keep hidden;
# those listed with LOADED load the shared libraries as the programs do, and use only what these
# export.
set_property(GLOBAL PROPERTY VANTOR_TEST_DIRS "")

function(vantor_add_tests dir)
    cmake_parse_arguments(ARG "" "" "LIBS;THREADED;UNSANITIZED;LOADED" ${ARGN})
    if(NOT VANTOR_BUILD_TESTS)
        return()
    endif()
    file(GLOB sources CONFIGURE_DEPENDS ${dir}/*_test.cpp ${dir}/*_xtest.cpp)
    foreach(src ${sources})
        get_filename_component(name ${src} NAME_WE)
        if(name IN_LIST ARG_UNSANITIZED AND VANTOR_SANITIZE)
            continue()
        endif()
        add_executable(${name} ${src})
        set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
        if(NOT name IN_LIST ARG_LOADED)
            set_target_properties(${name} PROPERTIES VANTOR_LINKS_INTERNALS ON)
        endif()
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} vantor_test_main)
        # Windows on the one X display overlap without a window manager, and the display tests read
        # the screen back, so they take turns on the display.
        if(name MATCHES "_xtest$")
            set(env "QT_QPA_PLATFORM=xcb")
            set(labels "xvfb")
            set(display_lock RESOURCE_LOCK x_display)
        else()
            set(env "QT_QPA_PLATFORM=offscreen")
            set(labels "unit")
            set(display_lock "")
        endif()
        # One label per test program (a list would be split into separate properties here).
        if(name IN_LIST ARG_THREADED)
            set(labels "threaded")
        endif()
        gtest_discover_tests(${name}
            DISCOVERY_MODE PRE_TEST
            DISCOVERY_TIMEOUT 60
            # Suites named ...Child are the second process of a two-process test, started by it.
            TEST_FILTER "-*Child.*"
            WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
            PROPERTIES ENVIRONMENT "${env}"
                       LABELS "${labels}" ${display_lock} TIMEOUT 300)
        set_property(GLOBAL APPEND PROPERTY VANTOR_ALL_TESTS ${name})
        if(name IN_LIST ARG_THREADED)
            set_property(GLOBAL APPEND PROPERTY VANTOR_THREADED_TESTS ${name})
        endif()
    endforeach()
endfunction()

# Called once at the end: aggregate targets for the test command.
function(vantor_finish_tests)
    get_property(all GLOBAL PROPERTY VANTOR_ALL_TESTS)
    get_property(threaded GLOBAL PROPERTY VANTOR_THREADED_TESTS)
    # The display tests start the real programs from the installation folder, so every test build
    # assembles it too.
    add_custom_target(all_tests)
    add_dependencies(all_tests Travenor Halvix VantorGallery vantor_content)
    if(all)
        add_dependencies(all_tests ${all})
    endif()
    # The test command checks that every program listed here contributes tests to its run.
    list(JOIN all "\n" all_lines)
    list(JOIN threaded "\n" threaded_lines)
    file(WRITE ${CMAKE_BINARY_DIR}/test-programs.txt "${all_lines}\n")
    file(WRITE ${CMAKE_BINARY_DIR}/threaded-test-programs.txt "${threaded_lines}\n")
    add_custom_target(threaded_tests)
    add_dependencies(threaded_tests Travenor Halvix vantor_content)
    if(threaded)
        add_dependencies(threaded_tests ${threaded})
    endif()
endfunction()
