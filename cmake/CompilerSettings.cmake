# Settings every build shares, and norvatessa_target(), which our own targets call so that their
# warnings are errors without imposing that on third-party code such as GoogleTest.

if(WIN32)
    # One self-contained executable per program: no MinGW runtime DLLs beside it.
    add_link_options(-static)
    add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)
endif()

if(NORVATESSA_SANITIZE)
    set(sanitizers address,undefined)
    # libFuzzer needs coverage instrumentation in the code it drives; clang adds it everywhere here so
    # that the fuzz targets of the native build really explore the libraries.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        string(APPEND sanitizers ",fuzzer-no-link")
    endif()
    add_compile_options(-fsanitize=${sanitizers} -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

function(norvatessa_target target)
    # gcc's plain -Wshadow also flags constructor parameters named after the members they initialise.
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wconversion -Wno-sign-conversion
        $<IF:$<CXX_COMPILER_ID:GNU>,-Wshadow=local,-Wshadow> -Werror)
    target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
endfunction()

# True when this build can link libFuzzer targets.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND NOT WIN32 AND NORVATESSA_SANITIZE)
    set(NORVATESSA_CAN_FUZZ ON)
else()
    set(NORVATESSA_CAN_FUZZ OFF)
endif()
