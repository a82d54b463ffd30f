# korvel-convert, the converter. Natively it lands in <build>/convert/ with the
# shipped fonts in <build>/convert/fonts/, where it looks for them first, so
# the built program runs from the build tree as it does when installed; the
# Windows one goes into dist/ beside korvel.exe and uses its fonts\.
if(WIN32)
    set(KORVEL_CONVERT_DIR ${KORVEL_DIST_DIR})
    set(KORVEL_CONVERT_SYSTEM src/convert/system_win.cpp src/convert/temp_file_win.cpp)
else()
    set(KORVEL_CONVERT_DIR ${CMAKE_BINARY_DIR}/convert)
    set(KORVEL_CONVERT_SYSTEM src/convert/system_posix.cpp src/convert/temp_file_posix.cpp)
endif()

# The run's report and the SHA-256 digests it carries, hashed by the
# system's own library: Nettle natively, CryptoAPI (advapi32) on Windows.
add_library(korvel_convert_report STATIC src/convert/report.cpp src/convert/sha256.cpp)
target_include_directories(korvel_convert_report PUBLIC ${PROJECT_SOURCE_DIR}/src
    ${CMAKE_BINARY_DIR}/generated)
if(WIN32)
    target_sources(korvel_convert_report PRIVATE src/convert/sha256_win.cpp)
    target_link_libraries(korvel_convert_report PUBLIC advapi32)
else()
    pkg_check_modules(NETTLE REQUIRED IMPORTED_TARGET nettle)
    target_sources(korvel_convert_report PRIVATE src/convert/sha256_nettle.cpp)
    target_link_libraries(korvel_convert_report PUBLIC PkgConfig::NETTLE)
endif()

add_executable(korvel-convert
    src/convert/main.cpp
    src/convert/options.cpp
    src/convert/formats.cpp
    src/convert/plan.cpp
    src/convert/plan_outputs.cpp
    src/convert/plan_walk.cpp
    src/convert/input_ids.cpp
    src/convert/font_set.cpp
    src/convert/document.cpp
    src/convert/job.cpp
    src/convert/job_report.cpp
    src/convert/up_to_date.cpp
    src/convert/run.cpp
    src/convert/temp_file.cpp
    src/convert/output_file.cpp
    ${KORVEL_CONVERT_SYSTEM}
)
target_link_libraries(korvel-convert PRIVATE korvel_convert korvel_convert_pages
    korvel_convert_report)
set_target_properties(korvel-convert PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KORVEL_CONVERT_DIR})

if(WIN32)
    add_dependencies(korvel-convert korvel_dist_fonts)
    add_dependencies(korvel_dist korvel-convert)
    return()
endif()
set(KORVEL_CONVERT_FONTS)
foreach(n RANGE 9)
    set(font_file ${KORVEL_CONVERT_DIR}/fonts/vga${n}.sfn)
    add_custom_command(OUTPUT ${font_file}
        COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/fonts/vga${n}.sfn ${font_file}
        DEPENDS ${PROJECT_SOURCE_DIR}/fonts/vga${n}.sfn)
    list(APPEND KORVEL_CONVERT_FONTS ${font_file})
endforeach()
add_custom_target(korvel_convert_fonts ALL DEPENDS ${KORVEL_CONVERT_FONTS})
add_dependencies(korvel-convert korvel_convert_fonts)
