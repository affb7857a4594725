# zovo_add_test(<name> SOURCES <files...> LIBS <targets...> [WIDGETS])
# One QtTest executable per class or window, registered with CTest.
# WIDGETS tests run on the offscreen platform, so they need no display.
function(zovo_add_test name)
    cmake_parse_arguments(ARG "WIDGETS" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test zovo_testsupport)
    add_test(NAME ${name} COMMAND ${name})
    set(env "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8")
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" LABELS "unit" TIMEOUT 120)
endfunction()
