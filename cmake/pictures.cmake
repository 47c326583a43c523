# Every picture of the program is an SVG drawing of ours in res/: the about box's pictures are
# rendered with rsvg-convert at the scales Windows uses and embedded as PNG resources, the icons
# rendered at their sizes and packed by icotool; license.txt is made from LICENSE and put beside
# orvalin.exe. Included from the Windows branch of the top-level CMakeLists.txt.
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

# Icons: each SVG in res/icons rendered at the icon's sizes and packed by icotool; a size with
# a drawing of its own (orvalin-16.svg) uses that one. 256-pixel images are stored as PNG.
find_program(ICOTOOL icotool REQUIRED)
set(icon_dir ${CMAKE_CURRENT_BINARY_DIR}/icons)
file(MAKE_DIRECTORY ${icon_dir})
set(ORVALIN_ICONS "orvalin 16 20 24 32 40 48 64 256" "record 16 20 24 32" "play 16 20 24 32" "stop 16 20 24 32"
                  "hotkey 16 20 24 32")
set(icon_outputs)
foreach(entry IN LISTS ORVALIN_ICONS)
  separate_arguments(entry)
  list(POP_FRONT entry name)
  set(images)
  set(sources)
  foreach(size IN LISTS entry)
    set(source ${CMAKE_CURRENT_SOURCE_DIR}/res/icons/${name}-${size}.svg)
    if(NOT EXISTS ${source})
      set(source ${CMAKE_CURRENT_SOURCE_DIR}/res/icons/${name}.svg)
    endif()
    set(image ${icon_dir}/${name}_${size}.png)
    add_custom_command(OUTPUT ${image}
                       COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --format=png --output=${image} ${source}
                       DEPENDS ${source}
                       VERBATIM)
    if(size EQUAL 256)
      list(APPEND images -r ${image})
    else()
      list(APPEND images ${image})
    endif()
    list(APPEND sources ${image})
  endforeach()
  add_custom_command(OUTPUT ${icon_dir}/${name}.ico
                     COMMAND ${ICOTOOL} --create --output=${icon_dir}/${name}.ico ${images}
                     DEPENDS ${sources}
                     COMMENT "Packing ${name}.ico"
                     VERBATIM)
  list(APPEND icon_outputs ${icon_dir}/${name}.ico)
endforeach()
add_custom_target(orvalin_icons DEPENDS ${icon_outputs})
add_dependencies(orvalin orvalin_icons)
set_property(SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/res/orvalin.rc APPEND PROPERTY OBJECT_DEPENDS ${icon_outputs})
target_include_directories(orvalin PRIVATE ${icon_dir})
