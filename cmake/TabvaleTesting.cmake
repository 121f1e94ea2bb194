# tabvale_add_test(NAME SOURCES ... LIBS ... [XVFB] [PGSQL])
# A QtTest executable registered with CTest. GUI tests run on the offscreen platform with a screen
# large enough for cursor hit tests; XVFB tests run under a real X server, one at a time.
# PGSQL tests share one throwaway PostgreSQL server (see below); each makes its own databases.
set(TABVALE_OFFSCREEN_CONFIG ${CMAKE_SOURCE_DIR}/tests/support/offscreen.json)

# The PostgreSQL server of the PGSQL tests: started before the first of them and stopped after the
# last, failed or not (a CTest fixture). Its folder holds its Unix socket, whose path must stay
# short (about 100 bytes), so it lives in /tmp under a name fixed per build tree.
set(TABVALE_PG_SERVER_SCRIPT ${CMAKE_SOURCE_DIR}/tests/support/pg-server.sh)
string(MD5 _tabvale_build_hash "${CMAKE_BINARY_DIR}")
string(SUBSTRING "${_tabvale_build_hash}" 0 12 _tabvale_build_hash)
set(TABVALE_PG_FOLDER /tmp/tabvale-pg-${_tabvale_build_hash})
add_test(NAME pgsql_server_start COMMAND ${TABVALE_PG_SERVER_SCRIPT} start ${TABVALE_PG_FOLDER})
add_test(NAME pgsql_server_stop COMMAND ${TABVALE_PG_SERVER_SCRIPT} destroy ${TABVALE_PG_FOLDER})
set_tests_properties(pgsql_server_start PROPERTIES FIXTURES_SETUP pgsql TIMEOUT 120)
set_tests_properties(pgsql_server_stop PROPERTIES FIXTURES_CLEANUP pgsql TIMEOUT 120)

function(tabvale_add_test name)
    cmake_parse_arguments(T "XVFB;PGSQL" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} tabvale_testcommon Qt6::Test)
    if(T_XVFB)
        add_test(NAME ${name} COMMAND xvfb-run -a -s "-screen 0 1600x1000x24" $<TARGET_FILE:${name}>)
        set(environment "QT_QPA_PLATFORM=xcb"
            "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/support/lsan-x11.supp:print_suppressions=0")
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK xserver)
    else()
        add_test(NAME ${name} COMMAND ${name})
        set(environment "QT_QPA_PLATFORM=offscreen:configfile=${TABVALE_OFFSCREEN_CONFIG}")
    endif()
    if(T_PGSQL)
        # The server's folder (host=) and the script, for tests that start a server of their own.
        list(APPEND environment "TABVALE_PG_HOST=${TABVALE_PG_FOLDER}"
            "TABVALE_PG_SERVER_SCRIPT=${TABVALE_PG_SERVER_SCRIPT}")
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED pgsql)
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}")
    if(T_TIMEOUT)
        set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
    endif()
endfunction()
