# deckvane_add_test(NAME SOURCES ... LIBS ... [LABELS ...] [TIMEOUT s] [LOCK resource]
#                   [DISPLAYS bare|openbox ...] [FIXTURES name ...])
# One GoogleTest executable per call; every test case becomes its own CTest
# entry. Tests run headless: the shared main picks the offscreen platform
# unless a display platform was asked for explicitly.
#
# With DISPLAYS the tests need a real display and run once per display
# kind, on a virtual display that a CTest fixture starts: "bare" is an X
# server without a window manager, "openbox" runs one, "weston" is a Wayland
# compositor. Their names begin with the kind ("openbox.Suite.Case") and
# they carry the label "display".
function(deckvane_add_test name)
    cmake_parse_arguments(T "" "TIMEOUT;LOCK" "SOURCES;LIBS;LABELS;DISPLAYS;FIXTURES" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_link_libraries(${name} PRIVATE deckvane_testmain ${T_LIBS})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    set(props TIMEOUT ${T_TIMEOUT})
    if(T_FIXTURES)
        list(APPEND props FIXTURES_REQUIRED "${T_FIXTURES}")
    endif()
    if(NOT T_DISPLAYS)
        # Tests holding the same lock never run at the same time (each starts its
        # own office; two at once on a small machine only add load and timing noise).
        if(T_LOCK)
            list(APPEND props RESOURCE_LOCK ${T_LOCK})
        endif()
        if(T_LABELS)
            list(APPEND props LABELS "${T_LABELS}")
        endif()
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
            PROPERTIES ${props}
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1;DECKVANE_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
        return()
    endif()
    foreach(kind IN LISTS T_DISPLAYS)
        deckvane_display_fixture(${kind})
        # Only the first ENVIRONMENT entry reaches discovered tests; the shared
        # main takes the rest from there. The tests of one display share its
        # pointer, so they take turns; and they run alone, since their timing
        # is a real pointer's and the office tests can load both cores.
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
            TEST_PREFIX "${kind}."
            PROPERTIES ${props} LABELS display RUN_SERIAL TRUE
            FIXTURES_REQUIRED xvfb_${kind} RESOURCE_LOCK xvfb_${kind}
            ENVIRONMENT "DECKVANE_DISPLAY_FILE=${CMAKE_BINARY_DIR}/xvfb/${kind}/display")
    endforeach()
endfunction()

# The virtual X server (and window manager) or compositor of one display
# kind, started once before the first test that needs it and ended after the
# last.
function(deckvane_display_fixture kind)
    # Once for the whole project: test names are seen only in their own folder.
    get_property(made GLOBAL PROPERTY deckvane_display_fixture_${kind})
    if(made)
        return()
    endif()
    set_property(GLOBAL PROPERTY deckvane_display_fixture_${kind} TRUE)
    set(dir ${CMAKE_BINARY_DIR}/xvfb/${kind})
    set(script ${PROJECT_SOURCE_DIR}/cmake/XvfbFixture.sh)
    set(extra)
    if(kind STREQUAL "weston")
        set(script ${PROJECT_SOURCE_DIR}/cmake/WestonFixture.sh)
    elseif(kind STREQUAL "openbox")
        set(extra openbox)
    endif()
    add_test(NAME xvfb_${kind}_start COMMAND ${script} start ${dir} ${extra})
    add_test(NAME xvfb_${kind}_stop COMMAND ${script} stop ${dir})
    set_tests_properties(xvfb_${kind}_start PROPERTIES FIXTURES_SETUP xvfb_${kind}
        LABELS display TIMEOUT 30)
    set_tests_properties(xvfb_${kind}_stop PROPERTIES FIXTURES_CLEANUP xvfb_${kind}
        LABELS display TIMEOUT 30)
endfunction()
