# zovo_add_test(<name> SOURCES <files...> LIBS <targets...> [WIDGETS] [LOOKS])
# One QtTest executable per class or window, registered with CTest.
# WIDGETS tests run on the offscreen platform, so they need no display. LOOKS tests also get a second screen at
# 200 % (tests/support/screens.json) and leave pictures of the windows in tests/shots of the build folder.
function(zovo_add_test name)
    cmake_parse_arguments(ARG "WIDGETS;LOOKS" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test zovo_testsupport)
    add_test(NAME ${name} COMMAND ${name})
    set(platform "offscreen")
    if(ARG_LOOKS)
        set(platform "offscreen:configfile=${PROJECT_SOURCE_DIR}/tests/support/screens.json")
        target_compile_definitions(${name} PRIVATE ZOVO_SHOTS_DIR="${CMAKE_BINARY_DIR}/tests/shots")
    endif()
    set(env "QT_QPA_PLATFORM=${platform};LC_ALL=C.UTF-8")
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" LABELS "unit" TIMEOUT 120)
endfunction()
