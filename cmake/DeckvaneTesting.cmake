# deckvane_add_test(NAME SOURCES ... LIBS ... [LABELS ...] [TIMEOUT s] [LOCK resource])
# One GoogleTest executable per call; every test case becomes its own CTest
# entry. Tests run headless: the shared main picks the offscreen platform
# unless a display platform was asked for explicitly.
function(deckvane_add_test name)
    cmake_parse_arguments(T "" "TIMEOUT;LOCK" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_link_libraries(${name} PRIVATE deckvane_testmain ${T_LIBS})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    set(props TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1;DECKVANE_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
    # Tests holding the same lock never run at the same time (each starts its
    # own office; two at once on a small machine only add load and timing noise).
    if(T_LOCK)
        list(APPEND props RESOURCE_LOCK ${T_LOCK})
    endif()
    if(T_LABELS)
        list(APPEND props LABELS "${T_LABELS}")
    endif()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
endfunction()
