# The Windows program: korvel.exe and its ready-to-run folder dist/.

# Tests run the Windows programs under Wine, in a private prefix of this build.
configure_file(scripts/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

add_library(korvel_win STATIC
    src/debuglog/debuglog.cpp
)
target_include_directories(korvel_win PUBLIC src)
target_link_libraries(korvel_win PUBLIC korvel_core)

# Printing and page setup.
target_sources(korvel_win PRIVATE src/main/print.cpp)
target_link_libraries(korvel_win PUBLIC comdlg32 gdi32)
if(NOT EXISTS ${PROJECT_SOURCE_DIR}/src/fonts/fonts.h)
    # Until the screen-font module is on this branch, printing builds against
    # the printing tests' minimal stand-in.
    target_include_directories(korvel_win PUBLIC tests/print/standin)
    target_sources(korvel_win PRIVATE tests/print/standin/fonts_standin.cpp)
endif()

set(KORVEL_DIST_DIR ${CMAKE_BINARY_DIR}/dist)

add_executable(korvel WIN32
    src/main/main.cpp
)
target_link_libraries(korvel PRIVATE korvel_win)
set_target_properties(korvel PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KORVEL_DIST_DIR})
add_custom_command(TARGET korvel POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KORVEL_DIST_DIR}/Plugins ${KORVEL_DIST_DIR}/fonts
)

add_executable(wine_idle WIN32 scripts/wine_idle.c)
set_target_properties(wine_idle PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/wine)
