# Shared compile settings: warnings for our own code, optional sanitizers, and
# a helper that lays out a layer's tests, benchmarks and fuzz targets the same way.

set(CMAKE_AUTOMOC ON)

add_compile_options(-Wall -Wextra)
if(KORVELA_WERROR)
    add_compile_options(-Werror)
endif()
# Qt's signal and slot keywords clash with other libraries' names; use Q_SIGNALS / Q_SLOTS / Q_EMIT.
add_compile_definitions(QT_NO_KEYWORDS)

if(KORVELA_SANITIZE)
    add_compile_options(-fsanitize=${KORVELA_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=${KORVELA_SANITIZE})
endif()

# Real recordings whose licence keeps them out of the repository. Tests that need them are
# skipped when the folder is absent; receiver logs that may be shared live in tests/data/.
set(KORVELA_REALDATA_DIR "${CMAKE_SOURCE_DIR}/../shared/realdata" CACHE PATH
    "Folder of real camera recordings for the tests and benchmarks (optional)")

# korvela_layer(NAME SOURCES ... DEPENDS ...): a layer's static library.
function(korvela_layer name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}
                                              ${CMAKE_BINARY_DIR}/generated)
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
endfunction()

# korvela_test(NAME SOURCES ... DEPENDS ... [DISPLAY] [WIDGETS]): one GoogleTest executable per
# layer, with the shared test main and support (tests/support). DISPLAY tests run under Xvfb
# (xvfb-run) and are given the x11 platform; they and WIDGETS tests get a QApplication.
function(korvela_test name)
    cmake_parse_arguments(ARG "DISPLAY;WIDGETS;GUI" "" "SOURCES;DEPENDS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/TestMain.cpp)
    if(ARG_GUI)
        # Painting into images without widgets: a QGuiApplication on the offscreen platform.
        target_compile_definitions(${name} PRIVATE KORVELA_TEST_GUI)
        target_link_libraries(${name} PRIVATE Qt6::Gui)
    endif()
    target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} korvela_test_support)
    if(ARG_DISPLAY OR ARG_WIDGETS)
        target_compile_definitions(${name} PRIVATE KORVELA_TEST_WIDGETS)
        target_link_libraries(${name} PRIVATE Qt6::Widgets)
    endif()
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_compile_definitions(${name} PRIVATE
        KORVELA_REALDATA_DIR="${KORVELA_REALDATA_DIR}"
        KORVELA_TESTDATA_DIR="${CMAKE_SOURCE_DIR}/tests/data"
        KORVELA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
        KORVELA_BINARY_DIR="${CMAKE_BINARY_DIR}")
    # Tests pin the time zone and locale so that local-time labels and number formats are stable.
    set(env "TZ=Europe/Berlin" "LC_ALL=C.UTF-8" "QTWEBENGINE_DISABLE_SANDBOX=1")
    if(ARG_DISPLAY)
        # One Xvfb for the whole executable: the window tests share one display and run in turn.
        add_test(NAME ${name} COMMAND xvfb-run -a -s "-screen 0 1600x1000x24" $<TARGET_FILE:${name}>)
        list(APPEND env "QT_QPA_PLATFORM=xcb")
        set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 900)
    else()
        # Each test case is its own CTest test ("metadata_tests.Suite.Case"), so a failure
        # names its case and ctest -j spreads the cases over the cores.
        list(APPEND env "QT_QPA_PLATFORM=offscreen")
        gtest_discover_tests(${name} TEST_PREFIX "${name}." DISCOVERY_MODE PRE_TEST
                             DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "${env}" TIMEOUT 900)
    endif()
endfunction()

# korvela_fuzz(NAME SOURCES ... DEPENDS ...): a libFuzzer target; fuzz/run-smoke runs them all.
function(korvela_fuzz name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE ${ARG_DEPENDS})
endfunction()

# korvela_bench(NAME SOURCES ... DEPENDS ...): a Google Benchmark executable.
function(korvela_bench name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} benchmark::benchmark)
    target_compile_definitions(${name} PRIVATE
        KORVELA_REALDATA_DIR="${KORVELA_REALDATA_DIR}"
        KORVELA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endfunction()

if(KORVELA_FUZZ)
    # Coverage instrumentation for every library the fuzz targets link.
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
