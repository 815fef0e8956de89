# GoogleTest from the Debian sources, and the test environment of tools/testenv/testenv: a private
# network namespace, a Wine prefix whose server runs inside it, and a virtual X display. Tests ask for
# what they need through norvatessa_add_test(); CTest starts each part once per run and stops it at the
# end, also when only a few tests are selected.

set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources (Debian package googletest)")
if(NOT EXISTS ${GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources are missing: install the Debian package googletest")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

set(TESTENV ${CMAKE_SOURCE_DIR}/tools/testenv/testenv)
set(TESTENV_STATE ${CMAKE_BINARY_DIR}/testenv)

function(norvatessa_fixture name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "REQUIRES")
    add_test(NAME testenv.${name}.start COMMAND ${TESTENV} ${TESTENV_STATE} start-${name})
    add_test(NAME testenv.${name}.stop COMMAND ${TESTENV} ${TESTENV_STATE} stop-${name})
    set_tests_properties(testenv.${name}.start PROPERTIES FIXTURES_SETUP ${name} TIMEOUT 300)
    set_tests_properties(testenv.${name}.stop PROPERTIES FIXTURES_CLEANUP ${name} TIMEOUT 60)
    if(arg_REQUIRES)
        set_tests_properties(testenv.${name}.start testenv.${name}.stop PROPERTIES
            FIXTURES_REQUIRED "${arg_REQUIRES}")
    endif()
endfunction()

norvatessa_fixture(netns)
if(WIN32)
    # Every Windows test program runs under Wine inside the namespace.
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TESTENV} ${TESTENV_STATE} run --)
    # Wine's desktop process, started with the Wine server, draws on the display: the display comes
    # first and goes last.
    norvatessa_fixture(display REQUIRES netns)
    norvatessa_fixture(wine REQUIRES netns display)
endif()

# The loopback simulator's control connection in the test namespace (its fixture: tests/engine).
set(NORVATESSA_LOOPBACK_CONTROL 127.0.0.1:47380)

# The segments and the router around the test namespace, with a controller simulator in each segment and
# behind the router (tools/testenv/topology.sh lays them out and gives these control addresses). The
# simulators are the same program as the loopback one; tests reach them through these variables.
#
# The topology is up only while a test that asks for it runs (tools/testenv/topology run), not for the
# whole run as a fixture: its adapters would show in every search of the namespace, and the searching
# tests expect the loopback alone. Such a test therefore holds the locks of the searching tests too.
set(TOPOLOGY ${CMAKE_SOURCE_DIR}/tools/testenv/topology)
set(NORVATESSA_TOPOLOGY_ENVIRONMENT
    NORVATESSA_SEGMENT_A_CONTROL=198.18.1.2:47380
    NORVATESSA_SEGMENT_B_CONTROL=198.18.2.2:47380
    NORVATESSA_ROUTED_CONTROL=198.18.4.2:47380)

# norvatessa_add_test(TARGET [DISPLAY] [NETWORK] [TOPOLOGY] [TIMEOUT seconds] [DPI dpi...]
#                     [RESOURCE_LOCK names...] [FIXTURES names...] [ENVIRONMENT vars...] [ARGS args...])
#   DISPLAY: the program opens windows on the virtual display (Windows build).
#   NETWORK: a native program that needs the private namespace (Windows programs always run in it).
#   TOPOLOGY: a Windows program that needs the segments and the router, and their simulators; it gets
#     the variables of NORVATESSA_TOPOLOGY_ENVIRONMENT, and holds the locks topology, udp30303 and
#     simulator.
#   DPI: a Windows program run once per screen resolution given, each run a test of its own,
#     TARGET.dpiN, with NORVATESSA_TEST_DPI=N in its environment (testenv run --dpi).
#   RESOURCE_LOCK: names of shared resources, such as a fixed UDP port, that tests must not use at once.
#   FIXTURES, ENVIRONMENT: more fixtures the test requires, more variables it gets.
function(norvatessa_add_test target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "DISPLAY;NETWORK;TOPOLOGY" "TIMEOUT"
        "DPI;RESOURCE_LOCK;FIXTURES;ENVIRONMENT;ARGS")
    if(NOT arg_TIMEOUT)
        set(arg_TIMEOUT 120)
    endif()
    if(arg_DPI AND (arg_TOPOLOGY OR NOT WIN32))
        message(FATAL_ERROR "${target}: DPI is for Windows programs outside the topology")
    endif()
    set(tests ${target})
    set(fixtures ${arg_FIXTURES})
    if(WIN32 AND arg_TOPOLOGY)
        add_test(NAME ${target}
            COMMAND ${TOPOLOGY} ${TESTENV_STATE} run ${NORVATESSA_SIMULATOR}
                    -- ${TESTENV} ${TESTENV_STATE} run -- $<TARGET_FILE:${target}> ${arg_ARGS})
        list(APPEND arg_RESOURCE_LOCK topology udp30303 simulator)
        set_property(TEST ${target} APPEND PROPERTY ENVIRONMENT ${NORVATESSA_TOPOLOGY_ENVIRONMENT})
    elseif(arg_DPI)
        set(tests "")
        foreach(dpi IN LISTS arg_DPI)
            add_test(NAME ${target}.dpi${dpi}
                COMMAND ${TESTENV} ${TESTENV_STATE} run --dpi ${dpi} -- $<TARGET_FILE:${target}> ${arg_ARGS})
            set_property(TEST ${target}.dpi${dpi} APPEND PROPERTY ENVIRONMENT NORVATESSA_TEST_DPI=${dpi})
            list(APPEND tests ${target}.dpi${dpi})
        endforeach()
    elseif(WIN32)
        add_test(NAME ${target} COMMAND ${target} ${arg_ARGS})
    endif()
    if(WIN32)
        list(APPEND fixtures wine)
        if(arg_DISPLAY)
            list(APPEND fixtures display)
            set_property(TEST ${tests} APPEND PROPERTY ENVIRONMENT TESTENV_DISPLAY=1)
        endif()
    elseif(arg_NETWORK)
        add_test(NAME ${target} COMMAND ${TESTENV} ${TESTENV_STATE} run -- $<TARGET_FILE:${target}> ${arg_ARGS})
        list(APPEND fixtures netns)
    else()
        add_test(NAME ${target} COMMAND ${target} ${arg_ARGS})
    endif()
    set_tests_properties(${tests} PROPERTIES TIMEOUT ${arg_TIMEOUT})
    if(fixtures)
        set_tests_properties(${tests} PROPERTIES FIXTURES_REQUIRED "${fixtures}")
    endif()
    if(arg_RESOURCE_LOCK)
        set_tests_properties(${tests} PROPERTIES RESOURCE_LOCK "${arg_RESOURCE_LOCK}")
    endif()
    if(arg_ENVIRONMENT)
        set_property(TEST ${tests} APPEND PROPERTY ENVIRONMENT ${arg_ENVIRONMENT})
    endif()
endfunction()

# A GoogleTest program of our own: norvatessa_gtest(NAME SOURCES... LIBRARIES...).
function(norvatessa_gtest name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LIBRARIES")
    add_executable(${name} ${arg_SOURCES})
    norvatessa_target(${name})
    target_link_libraries(${name} PRIVATE ${arg_LIBRARIES} GTest::gmock GTest::gtest_main)
endfunction()
