# Programs the tests drive (encoders, X servers, session buses, remote controls, screenshots).
# A missing one would leave its tests out and the suite would pass smaller, so it is never
# silent: with CI=true in the environment configuring stops and names the program; elsewhere a
# warning names it, the tests that need it are left out, and the list is repeated at the end of
# the configuration.

# Stops or warns about `program`, which the tests described by `purpose` need.
function(tv_missing_test_tool program purpose)
    string(CONCAT text "the test tool '${program}' is missing, so ${purpose} cannot run "
                  "(scripts/install-deps.sh installs it)")
    if("$ENV{CI}" MATCHES "^([Tt][Rr][Uu][Ee]|1|[Yy][Ee][Ss])$")
        message(FATAL_ERROR "${text}")
    endif()
    message(WARNING "${text}")
    set_property(GLOBAL APPEND PROPERTY TV_MISSING_TEST_TOOLS ${program})
endfunction()

# find_program(var program) that reports a missing program through tv_missing_test_tool.
function(tv_find_test_tool var program purpose)
    find_program(${var} ${program})
    if(NOT ${var})
        tv_missing_test_tool(${program} "${purpose}")
    endif()
endfunction()

# The summary at the end of the configuration.
function(tv_report_missing_test_tools)
    get_property(missing GLOBAL PROPERTY TV_MISSING_TEST_TOOLS)
    if(missing)
        list(REMOVE_DUPLICATES missing)
        string(REPLACE ";" ", " missing "${missing}")
        message(WARNING "THE TEST SUITE IS INCOMPLETE: tests are left out for want of ${missing}")
    endif()
endfunction()
