# quillora_add_test(<name> SOURCES <files...> LIBS <targets...> [GUI] [X11] [TIMEOUT <s>])
#
# Every test is a Qt Test executable registered with CTest. GUI tests get the
# offscreen platform so they run without a display; X11 tests need a real X
# server and are run under xvfb-run by scripts/test.sh (they are labelled
# "x11" so the runner can find them).
function(quillora_add_test name)
    cmake_parse_arguments(ARG "GUI;X11" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    target_compile_definitions(${name} PRIVATE
        QUILLORA_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
    add_test(NAME ${name} COMMAND ${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    set(env "LANG=C.UTF-8" "LC_ALL=C.UTF-8")
    set(labels "")
    if(ARG_X11)
        list(APPEND labels x11)
    elseif(ARG_GUI)
        list(APPEND env "QT_QPA_PLATFORM=offscreen")
        list(APPEND labels gui)
    endif()
    if(QUILLORA_SANITIZE)
        list(APPEND env "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0"
                        "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan.supp:print_suppressions=0"
                        "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
    endif()
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "${env}" TIMEOUT ${ARG_TIMEOUT} LABELS "${labels}")
endfunction()

# quillora_add_library(<name> <sources...>) - one static library per folder.
function(quillora_add_library name)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()
