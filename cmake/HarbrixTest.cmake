# harbrix_test(NAME name SOURCES ... LIBS ... LABELS ... [TIMEOUT s])
# One test executable; every GoogleTest case becomes its own CTest test with the
# given labels, a time-out, an offscreen Qt platform and a private temporary folder.
function(harbrix_test)
    cmake_parse_arguments(ARG "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 60)
    endif()
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} harbrix_test_support GTest::gtest GTest::gmock)
    set(tmp ${CMAKE_CURRENT_BINARY_DIR}/tmp/${ARG_NAME})
    gtest_discover_tests(${ARG_NAME}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES
            LABELS "${ARG_LABELS}"
            TIMEOUT ${ARG_TIMEOUT}
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;HARBRIX_TEST_TMP=${tmp};HARBRIX_BIN=${CMAKE_RUNTIME_OUTPUT_DIRECTORY};HOME=${tmp}/home;XDG_CACHE_HOME=${tmp}/cache;XDG_DATA_HOME=${tmp}/data")
endfunction()

# harbrix_qt_test(NAME name SOURCES ... LIBS ... [TIMEOUT s])
# One Qt Test executable registered as one CTest test, offscreen, labels "unit;ui".
function(harbrix_qt_test)
    cmake_parse_arguments(ARG "" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 60)
    endif()
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} Qt6::Test)
    # The header-only helpers under tests/support serve every Qt test.
    target_include_directories(${ARG_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_compile_definitions(${ARG_NAME} PRIVATE HARBRIX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    set(tmp ${CMAKE_CURRENT_BINARY_DIR}/tmp/${ARG_NAME})
    add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
    set_tests_properties(${ARG_NAME} PROPERTIES
        LABELS "unit;ui"
        TIMEOUT ${ARG_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;HOME=${tmp}/home;XDG_CACHE_HOME=${tmp}/cache;XDG_DATA_HOME=${tmp}/data")
endfunction()
