# Desktop integration, manual pages and package documents, made at build time from their
# readable sources in data/desktop, data/man and data/debian, and installed where a Debian
# system looks for them (the package and `cmake --install` alike).
set(desktop_sources ${CMAKE_SOURCE_DIR}/data/desktop)
set(desktop_output ${CMAKE_BINARY_DIR}/data/desktop)

# The release date as the package documents write it, from the release's epoch.
set(saved_source_date_epoch "$ENV{SOURCE_DATE_EPOCH}")
set(ENV{SOURCE_DATE_EPOCH} ${KORVANE_RELEASE_EPOCH})
string(TIMESTAMP KORVANE_RELEASE_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP KORVANE_RELEASE_YEAR "%Y" UTC)
string(TIMESTAMP KORVANE_RELEASE_DATE_RFC2822 "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${saved_source_date_epoch}")

# The desktop entry and the MIME type of project files.
install(FILES ${desktop_sources}/korvane.desktop DESTINATION share/applications)
install(FILES ${desktop_sources}/korvane-mime.xml DESTINATION share/mime/packages
        RENAME korvane.xml)

# Each icon as SVG and drawn at the icon theme's usual sizes.
set(KORVANE_ICON_SIZES 16 22 24 32 48 64 128 256)
set(icon_outputs)
foreach(icon korvane:apps application-x-korvane-project:mimetypes)
  string(REPLACE ":" ";" icon ${icon})
  list(GET icon 0 name)
  list(GET icon 1 context)
  set(source ${desktop_sources}/${name}.svg)
  set(drawn)
  set(folders)
  set(sizes_and_files)
  foreach(size ${KORVANE_ICON_SIZES})
    set(folder ${desktop_output}/icons/${size}x${size}/${context})
    list(APPEND folders ${folder})
    list(APPEND drawn ${folder}/${name}.png)
    list(APPEND sizes_and_files ${size} ${folder}/${name}.png)
    install(FILES ${folder}/${name}.png DESTINATION share/icons/hicolor/${size}x${size}/${context})
  endforeach()
  add_custom_command(OUTPUT ${drawn}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folders}
    COMMAND korvane-make-icons ${source} ${sizes_and_files}
    DEPENDS korvane-make-icons ${source}
    COMMENT "Drawing the ${name} icon"
    VERBATIM)
  list(APPEND icon_outputs ${drawn})
  install(FILES ${source} DESTINATION share/icons/hicolor/scalable/${context})
endforeach()
add_custom_target(desktop_icons ALL DEPENDS ${icon_outputs})

# The AppStream entry names the pictures by the address where each release publishes them
# (the `screenshots` target below takes them).
set(KORVANE_SCREENSHOT_URL "https://brannoq.example/korvane/screenshots/${PROJECT_VERSION}"
    CACHE STRING "Where the release's screenshots are published (AppStream metainfo)")
set(metainfo ${desktop_output}/com.brannoq.korvane.metainfo.xml)
configure_file(${desktop_sources}/korvane.metainfo.xml.in ${metainfo} @ONLY)
install(FILES ${metainfo} DESTINATION share/metainfo)

# The screenshots the AppStream entry names, taken of the program by the screenshot tool.
# Not part of every build: scripts/package.sh takes them and puts them beside the package.
set(screenshot_tool ${CMAKE_SOURCE_DIR}/tools/editor-screenshot.sh)
set(screenshot_folder ${CMAKE_BINARY_DIR}/data/screenshots)
add_custom_target(screenshots
  COMMAND ${CMAKE_COMMAND} -E make_directory ${screenshot_folder}
  COMMAND ${CMAKE_COMMAND} -E env KORVANE_BUILD_DIR=${CMAKE_BINARY_DIR}
          ${screenshot_tool} ${screenshot_folder}/main-window.png
  COMMAND ${CMAKE_COMMAND} -E env KORVANE_BUILD_DIR=${CMAKE_BINARY_DIR}
          ${screenshot_tool} --run ${screenshot_folder}/run.png
  COMMAND ${CMAKE_COMMAND} -E env KORVANE_BUILD_DIR=${CMAKE_BINARY_DIR}
          ${screenshot_tool} --debug ${screenshot_folder}/debug.png
  COMMENT "Taking the screenshots of the AppStream entry"
  VERBATIM)
add_dependencies(screenshots bench_editor)

# Manual pages, written in scdoc's plain-text form.
find_program(KORVANE_SCDOC scdoc)
if(NOT KORVANE_SCDOC)
  message(FATAL_ERROR "The manual pages need scdoc (Debian package scdoc; scripts/install-deps.sh "
                      "installs it)")
endif()
set(manual_outputs)
foreach(page korvane korvane-httpd korvane-dump korvane-publish)
  set(source ${CMAKE_BINARY_DIR}/data/man/${page}.1.scd)
  set(manual ${CMAKE_BINARY_DIR}/data/man/${page}.1.gz)
  configure_file(${CMAKE_SOURCE_DIR}/data/man/${page}.1.scd ${source} @ONLY)
  add_custom_command(OUTPUT ${manual}
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${KORVANE_RELEASE_EPOCH}
            bash -c "set -o pipefail; ${KORVANE_SCDOC} < \"$0\" | gzip -9n > \"$1\"" ${source} ${manual}
    DEPENDS ${source}
    COMMENT "Writing the manual page ${page}(1)"
    VERBATIM)
  list(APPEND manual_outputs ${manual})
  # A page is installed with its program.
  if(TARGET ${page})
    install(FILES ${manual} DESTINATION share/man/man1)
  endif()
endforeach()
add_custom_target(manual_pages ALL DEPENDS ${manual_outputs})

# The package's copyright file (from the program's own notice) and its change log.
set(KORVANE_PACKAGE_MAINTAINER "Brannoq <korvane@brannoq.example>"
    CACHE STRING "Who answers for the Debian package (its Maintainer field and change log)")
file(READ ${CMAKE_SOURCE_DIR}/data/help/copyright.txt notice)
string(REGEX REPLACE "\n+$" "" notice "${notice}")
string(REGEX REPLACE "\n\n" "\n.\n" notice "${notice}")
string(REGEX REPLACE "\n" "\n " KORVANE_COPYRIGHT_NOTICE " ${notice}")
configure_file(${CMAKE_SOURCE_DIR}/data/debian/copyright.in
               ${CMAKE_BINARY_DIR}/data/debian/copyright @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/data/debian/changelog.in
               ${CMAKE_BINARY_DIR}/data/debian/changelog @ONLY)
set(changelog ${CMAKE_BINARY_DIR}/data/debian/changelog.gz)
add_custom_command(OUTPUT ${changelog}
  COMMAND sh -c "gzip -9n < \"$0\" > \"$1\"" ${CMAKE_BINARY_DIR}/data/debian/changelog ${changelog}
  DEPENDS ${CMAKE_BINARY_DIR}/data/debian/changelog
  COMMENT "Compressing the change log"
  VERBATIM)
add_custom_target(package_documents ALL DEPENDS ${changelog})
install(FILES ${CMAKE_BINARY_DIR}/data/debian/copyright ${changelog}
        DESTINATION share/doc/korvane)
