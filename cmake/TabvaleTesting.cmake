# tabvale_add_test(NAME SOURCES ... LIBS ... [XVFB])
# A QtTest executable registered with CTest. GUI tests run on the offscreen platform with a screen
# large enough for cursor hit tests; XVFB tests run under a real X server, one at a time.
set(TABVALE_OFFSCREEN_CONFIG ${CMAKE_SOURCE_DIR}/tests/support/offscreen.json)

function(tabvale_add_test name)
    cmake_parse_arguments(T "XVFB" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} tabvale_testcommon Qt6::Test)
    if(T_XVFB)
        add_test(NAME ${name} COMMAND xvfb-run -a -s "-screen 0 1600x1000x24" $<TARGET_FILE:${name}>)
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK xserver ENVIRONMENT
            "QT_QPA_PLATFORM=xcb;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/support/lsan-x11.supp:print_suppressions=0")
    else()
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen:configfile=${TABVALE_OFFSCREEN_CONFIG}")
    endif()
    if(T_TIMEOUT)
        set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
    endif()
endfunction()
