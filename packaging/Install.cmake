# Installing like a desktop program: the two programs, the menu entry, the icons, the metainfo,
# the manual pages and the marker by which an installed player keeps its settings in
# ~/.config/torvanell; and a Debian package of all that through CPack.
include(GNUInstallDirs)

set(TV_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(TV_GENERATED_DIR ${PROJECT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${TV_GENERATED_DIR})

# The marker path as the program sees it from its bin folder; it follows the chosen layout.
file(RELATIVE_PATH TV_BIN_TO_DATA ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR})
set(TV_INSTALLED_MARKER "${TV_BIN_TO_DATA}/torvanell/installed")
if(TARGET tv_core)
    set_property(SOURCE ${PROJECT_SOURCE_DIR}/core/programfolder.cpp TARGET_DIRECTORY tv_core
                 APPEND PROPERTY COMPILE_DEFINITIONS TORVANELL_INSTALLED_MARKER="${TV_INSTALLED_MARKER}")
endif()

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(TARGET torvanell)
    install(TARGETS torvanell RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(TARGETS torvanell-tag RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

file(WRITE ${TV_GENERATED_DIR}/installed
     "This file marks an installed Torvanell: its settings and playlist live in ~/.config/torvanell.\n")
install(FILES ${TV_GENERATED_DIR}/installed DESTINATION ${CMAKE_INSTALL_DATADIR}/torvanell)

# Manual pages, compressed the way Debian wants them (no name or time stamp in the gzip header).
find_program(TV_GZIP gzip REQUIRED)
set(TV_MAN_PAGES ${PROJECT_SOURCE_DIR}/app/torvanell.1 ${PROJECT_SOURCE_DIR}/tags/tool/torvanell-tag.1)
set(TV_PACKAGING_OUTPUTS)
foreach(page IN LISTS TV_MAN_PAGES)
    get_filename_component(name ${page} NAME)
    add_custom_command(OUTPUT ${TV_GENERATED_DIR}/${name}.gz
                       COMMAND ${TV_GZIP} -9nc ${page} > ${TV_GENERATED_DIR}/${name}.gz
                       DEPENDS ${page} VERBATIM)
    list(APPEND TV_PACKAGING_OUTPUTS ${TV_GENERATED_DIR}/${name}.gz)
    install(FILES ${TV_GENERATED_DIR}/${name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The icon is drawn once as SVG; the bitmaps are made from it at build time.
install(FILES ${TV_PACKAGING_DIR}/torvanell.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
find_program(TV_RSVG_CONVERT rsvg-convert)
if(TV_RSVG_CONVERT)
    foreach(size 48 256)
        set(png ${TV_GENERATED_DIR}/icon-${size}/torvanell.png)
        add_custom_command(OUTPUT ${png}
                           COMMAND ${CMAKE_COMMAND} -E make_directory ${TV_GENERATED_DIR}/icon-${size}
                           COMMAND ${TV_RSVG_CONVERT} -w ${size} -h ${size}
                                   ${TV_PACKAGING_DIR}/torvanell.svg -o ${png}
                           DEPENDS ${TV_PACKAGING_DIR}/torvanell.svg VERBATIM)
        list(APPEND TV_PACKAGING_OUTPUTS ${png})
        install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
else()
    message(WARNING "rsvg-convert not found: the 48 and 256 pixel icons are not installed")
endif()

# The menu entry is named by the application id the program gives the desktop (Wayland's app id,
# X11's class), so the compositor finds its icon and name.
install(FILES ${TV_PACKAGING_DIR}/org.torvanell.Torvanell.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TV_PACKAGING_DIR}/org.torvanell.Torvanell.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Debian's documentation files, which lintian asks for.
add_custom_command(OUTPUT ${TV_GENERATED_DIR}/changelog.Debian.gz
                   COMMAND ${TV_GZIP} -9nc ${TV_PACKAGING_DIR}/changelog.Debian
                           > ${TV_GENERATED_DIR}/changelog.Debian.gz
                   DEPENDS ${TV_PACKAGING_DIR}/changelog.Debian VERBATIM)
list(APPEND TV_PACKAGING_OUTPUTS ${TV_GENERATED_DIR}/changelog.Debian.gz)
install(FILES ${TV_GENERATED_DIR}/changelog.Debian.gz ${TV_PACKAGING_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/torvanell)
add_custom_target(tv_packaging_files ALL DEPENDS ${TV_PACKAGING_OUTPUTS})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME torvanell)
set(CPACK_PACKAGE_VENDOR "Torvanell developers")
set(CPACK_PACKAGE_CONTACT "Torvanell developers <maintainers@users.noreply.c-seed-3bdec9ad.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "compact skinned media player with playlist and equalizer")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Torvanell is a desktop media player with a skinned window. It keeps a
playlist that survives between runs as an extended M3U file, plays it in
order or shuffled with three repeat modes, and offers a ten-band equalizer
with presets, real-time effects, a small spectrum analyser, MP3 and Ogg
Vorbis tag editing, video in a second window and global hotkeys.
.
The package also holds torvanell-tag, a command-line tool that shows,
writes and removes the tags of audio files.")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's Wayland platform is a plugin, which the library scan does not see.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)

# The installed program, checked from a temporary prefix.
if(TORVANELL_BUILD_TESTS AND TARGET torvanell)
    add_test(NAME install_desktop_program
             COMMAND ${TV_PACKAGING_DIR}/install_test.sh ${PROJECT_BINARY_DIR}
                     ${PROJECT_SOURCE_DIR}/tests/data/tone-1k.mp3)
    set_tests_properties(install_desktop_program PROPERTIES LABELS app TIMEOUT 120 RUN_SERIAL ON)
endif()
