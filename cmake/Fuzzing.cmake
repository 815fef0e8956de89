# norvatessa_fuzz_target(NAME SOURCES files... LIBRARIES libs... CORPUS seed-folder)
#
# A libFuzzer target. In the native build it also becomes a test: a short fuzzing run that starts from
# the seed corpus, so that a regression in bounds handling fails the ordinary test run. New inputs go to a
# folder in the build tree; the seed folder in the sources is only read.
set(NORVATESSA_SHORT_FUZZ_SECONDS 8 CACHE STRING "Length of the fuzzing run of each fuzz target's test")

function(norvatessa_fuzz_target name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "CORPUS" "SOURCES;LIBRARIES")
    add_executable(${name} ${arg_SOURCES})
    norvatessa_target(${name})
    target_link_libraries(${name} PRIVATE ${arg_LIBRARIES})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)

    if(BUILD_TESTING AND NOT NORVATESSA_FUZZ_ONLY)
        set(scratch ${CMAKE_CURRENT_BINARY_DIR}/${name}.corpus)
        file(MAKE_DIRECTORY ${scratch})
        add_test(NAME ${name}.short
            COMMAND ${name} -max_total_time=${NORVATESSA_SHORT_FUZZ_SECONDS} -timeout=10 -rss_limit_mb=2048
                    -print_final_stats=1 -artifact_prefix=${CMAKE_CURRENT_BINARY_DIR}/${name}.
                    ${scratch} ${arg_CORPUS})
        set_tests_properties(${name}.short PROPERTIES TIMEOUT 120)
    endif()
endfunction()
