# The about box's pictures are SVG drawings in res/pictures, rendered with rsvg-convert at the
# scales Windows uses and embedded as PNG resources; license.txt is made from LICENSE and put
# beside orvalin.exe. Included from the Windows branch of the top-level CMakeLists.txt.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)

set(ORVALIN_PICTURE_SCALES 100 125 150 175 200)
# name, width and height at 100 %
set(ORVALIN_PICTURES "logo 344 105" "cat 320 214" "arrow 12 12")
set(picture_dir ${CMAKE_CURRENT_BINARY_DIR}/pictures)
file(MAKE_DIRECTORY ${picture_dir})

set(picture_outputs)
foreach(entry IN LISTS ORVALIN_PICTURES)
  separate_arguments(entry)
  list(GET entry 0 name)
  list(GET entry 1 width)
  list(GET entry 2 height)
  set(source ${CMAKE_CURRENT_SOURCE_DIR}/res/pictures/${name}.svg)
  foreach(scale IN LISTS ORVALIN_PICTURE_SCALES)
    math(EXPR w "(${width} * ${scale} + 50) / 100")
    math(EXPR h "(${height} * ${scale} + 50) / 100")
    set(output ${picture_dir}/${name}_${scale}.png)
    add_custom_command(OUTPUT ${output}
                       COMMAND ${RSVG_CONVERT} --width=${w} --height=${h} --format=png --output=${output} ${source}
                       DEPENDS ${source}
                       COMMENT "Rendering ${name}.svg at ${scale} %"
                       VERBATIM)
    list(APPEND picture_outputs ${output})
  endforeach()
endforeach()
add_custom_target(orvalin_pictures DEPENDS ${picture_outputs})
add_dependencies(orvalin orvalin_pictures)
set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/res/orvalin.rc PROPERTIES OBJECT_DEPENDS "${picture_outputs}")
# The resource compiler finds the rendered pictures through the include path.
target_include_directories(orvalin PRIVATE ${picture_dir})
target_link_libraries(orvalin PRIVATE windowscodecs msimg32)

# license.txt with Windows line ends, so that every Notepad shows it as lines.
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE orvalin_license_text)
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/license.txt CONTENT "${orvalin_license_text}" @ONLY
     NEWLINE_STYLE CRLF)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
