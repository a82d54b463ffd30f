# The Windows program: korvel.exe and its ready-to-run folder dist/.

# Tests run the Windows programs under Wine, in a private prefix of this build.
configure_file(scripts/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

add_library(korvel_win STATIC
    src/debuglog/debuglog.cpp
)
target_include_directories(korvel_win PUBLIC src)

# Plug-in host.
target_sources(korvel_win PRIVATE src/plugins/plugins.cpp src/plugins/plugin_call.cpp)
target_link_libraries(korvel_win PUBLIC korvel_core)

# Printing and page setup.
target_sources(korvel_win PRIVATE src/main/print.cpp)
target_link_libraries(korvel_win PUBLIC comdlg32 gdi32)

set(KORVEL_DIST_DIR ${CMAKE_BINARY_DIR}/dist)

# The resources take the version and the manifest from the build tree.
configure_file(res/korvel.manifest.in ${CMAKE_BINARY_DIR}/generated/korvel.manifest @ONLY)

# The viewer program; the tests build variants of it with sources of their own
# added (e.g. a lowered memory limit).
function(korvel_add_viewer name)
    add_executable(${name} WIN32
        ${PROJECT_SOURCE_DIR}/src/main/main.cpp
        ${PROJECT_SOURCE_DIR}/src/main/window.cpp
        ${PROJECT_SOURCE_DIR}/src/main/view.cpp
        ${PROJECT_SOURCE_DIR}/res/korvel.rc
        ${ARGN}
    )
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)
    set_source_files_properties(${PROJECT_SOURCE_DIR}/res/korvel.rc PROPERTIES OBJECT_DEPENDS
        "${CMAKE_BINARY_DIR}/generated/korvel.manifest;${CMAKE_BINARY_DIR}/generated/korvel_version.h;${PROJECT_SOURCE_DIR}/res/korvel.ico")
    target_link_libraries(${name} PRIVATE korvel_win comdlg32)
    # 4 GB of address space on 64-bit Windows (and Wine) for large documents.
    target_link_options(${name} PRIVATE -Wl,--large-address-aware)
endfunction()

korvel_add_viewer(korvel)
set_target_properties(korvel PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KORVEL_DIST_DIR})
add_custom_command(TARGET korvel POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KORVEL_DIST_DIR}/Plugins ${KORVEL_DIST_DIR}/fonts
)

add_executable(wine_idle WIN32 scripts/wine_idle.c)
set_target_properties(wine_idle PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/wine)

# Screen fonts and the line renderer; the ten font files go to dist/fonts.
target_sources(korvel_win PRIVATE src/fonts/fonts.cpp src/fonts/draw_text_line.cpp)
set(KORVEL_DIST_FONTS)
foreach(n RANGE 9)
    set(font_file ${KORVEL_DIST_DIR}/fonts/vga${n}.sfn)
    add_custom_command(OUTPUT ${font_file}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${KORVEL_DIST_DIR}/fonts
        COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/fonts/vga${n}.sfn ${font_file}
        DEPENDS ${PROJECT_SOURCE_DIR}/fonts/vga${n}.sfn)
    list(APPEND KORVEL_DIST_FONTS ${font_file})
endforeach()
add_custom_target(korvel_dist_fonts ALL DEPENDS ${KORVEL_DIST_FONTS})

# The sample plug-in from the kit, only on request (it is not loaded by
# default): cmake --build build/win --target sample_plugin puts it into
# dist/Plugins.
add_library(sample_plugin SHARED EXCLUDE_FROM_ALL sdk/sample/keep_open.c)
target_include_directories(sample_plugin PRIVATE sdk)
set_target_properties(sample_plugin PROPERTIES PREFIX "" OUTPUT_NAME keep_open
    RUNTIME_OUTPUT_DIRECTORY ${KORVEL_DIST_DIR}/Plugins)

# The Find plug-in (Find, F3, Go to line, Select all, Copy) ships with the
# viewer: dist/Plugins/find.dll. Its texts are CP1251, like the viewer's.
add_library(find_plugin SHARED
    src/find_plugin/find_plugin.cpp
    src/find_plugin/find_commands.cpp
    src/find_plugin/find_dialogs.cpp
    src/find_plugin/document_file_win.cpp
    src/find_plugin/find_plugin.rc
)
target_include_directories(find_plugin PRIVATE sdk ${PROJECT_SOURCE_DIR})
target_compile_options(find_plugin PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fexec-charset=CP1251>)
target_link_libraries(find_plugin PRIVATE korvel_find_core user32)
set_target_properties(find_plugin PROPERTIES PREFIX "" OUTPUT_NAME find
    RUNTIME_OUTPUT_DIRECTORY ${KORVEL_DIST_DIR}/Plugins)

# Everything dist/ holds for users: the viewer, its fonts, the plug-in that
# ships with it and, when built, korvel-convert.exe (cmake/convert.cmake).
add_custom_target(korvel_dist DEPENDS korvel korvel_dist_fonts find_plugin)

# The Windows zip for users: build/win/packages/korvel-viewer-<version>-win32.zip
# (scripts/package.sh puts it with the Debian package into build/packages).
# It always holds the converter, so a build without it makes no zip.
if(NOT KORVEL_CONVERTER)
    return()
endif()
set(KORVEL_ZIP ${CMAKE_BINARY_DIR}/packages/korvel-viewer-${PROJECT_VERSION}-win32.zip)
file(GLOB KORVEL_ZIP_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/fonts/LICENSES/*.txt
    ${PROJECT_SOURCE_DIR}/sdk/*.h ${PROJECT_SOURCE_DIR}/sdk/*.md ${PROJECT_SOURCE_DIR}/sdk/sample/*.c)
add_custom_command(OUTPUT ${KORVEL_ZIP}
    COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/make-zip.sh ${PROJECT_SOURCE_DIR} ${KORVEL_DIST_DIR}
            ${PROJECT_VERSION} ${KORVEL_ZIP} ${CMAKE_STRIP}
    DEPENDS korvel korvel-convert find_plugin ${KORVEL_DIST_FONTS} ${KORVEL_ZIP_SOURCES} ${PROJECT_SOURCE_DIR}/scripts/make-zip.sh
            ${PROJECT_SOURCE_DIR}/packaging/windows/README.txt ${PROJECT_SOURCE_DIR}/LICENSE
    VERBATIM)
add_custom_target(korvel_zip ALL DEPENDS ${KORVEL_ZIP})
