# Installation: the program in bin/, the game folder read-only in share/luminaria/, and what a
# desktop needs to list it: the desktop entry, icons, AppStream metainfo and a man page.
# `cpack -G DEB` (make package) wraps the same files in a Debian package.
include(GNUInstallDirs)

# Where the metainfo points software centres for the screenshot; a published build sets its
# own web address (AppStream accepts only web URLs there).
set(LUM_WEB_URL "https://luminaria.invalid" CACHE STRING "Web address of the game's pages")
set(LUM_GAME_SHARE ${CMAKE_INSTALL_DATADIR}/luminaria)

install(TARGETS luminaria RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The game folder. The dat files come from the compiler's staging folder, never from the
# build's game folder, whose my.dat may hold a developer's own play.
install(DIRECTORY ${CMAKE_BINARY_DIR}/dat-staging/ DESTINATION ${LUM_GAME_SHARE}/dat)
install(FILES ${LUM_GAME_DIR}/dat/buttons.txt DESTINATION ${LUM_GAME_SHARE}/dat)
install(DIRECTORY ${LUM_GAME_DIR}/cg ${LUM_GAME_DIR}/mid DESTINATION ${LUM_GAME_SHARE}
        FILES_MATCHING PATTERN "*.bmp" PATTERN "*.wav" PATTERN "*.mid")
install(FILES ${CMAKE_SOURCE_DIR}/data/MIXER.INI DESTINATION ${LUM_GAME_SHARE})
install(FILES ${CMAKE_SOURCE_DIR}/dist/screenshots/title.png
        DESTINATION ${LUM_GAME_SHARE}/screenshots)

# Icons drawn by assetgen from the hero's portrait.
set(LUM_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
set(LUM_ICON_STAMP ${LUM_ICON_DIR}.stamp)
add_custom_command(OUTPUT ${LUM_ICON_STAMP}
  COMMAND assetgen --data ${CMAKE_SOURCE_DIR}/data --icons ${LUM_ICON_DIR} --app-id ${LUM_APP_ID}
  COMMAND ${CMAKE_COMMAND} -E touch ${LUM_ICON_STAMP}
  DEPENDS assetgen ${CMAKE_SOURCE_DIR}/data/art/people.txt
  COMMENT "assetgen: desktop icons"
  VERBATIM)
add_custom_target(icons ALL DEPENDS ${LUM_ICON_STAMP})
install(DIRECTORY ${LUM_ICON_DIR}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# The desktop entry starts the program by its full path, so a prefix whose bin/ is not on
# PATH (~/.local) still starts from the menu; the path is known only at install time.
configure_file(${CMAKE_SOURCE_DIR}/dist/luminaria.desktop.in
               ${CMAKE_BINARY_DIR}/dist/luminaria.desktop.in @ONLY)
install(CODE "
  set(exec \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/luminaria\")
  file(READ \"${CMAKE_BINARY_DIR}/dist/luminaria.desktop.in\" entry)
  string(REPLACE \"Exec=luminaria\" \"Exec=\${exec}\" entry \"\${entry}\")
  file(WRITE \"${CMAKE_BINARY_DIR}/dist/${LUM_APP_ID}.desktop\" \"\${entry}\")
")
install(FILES ${CMAKE_BINARY_DIR}/dist/${LUM_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

set(LUM_SCREENSHOT_URL ${LUM_WEB_URL}/screenshots/title.png)
configure_file(${CMAKE_SOURCE_DIR}/dist/luminaria.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/dist/${LUM_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/dist/${LUM_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Man pages are installed compressed (reproducibly: no name or time in the gzip header).
set(LUM_MAN_GZ ${CMAKE_BINARY_DIR}/dist/luminaria.6.gz)
add_custom_command(OUTPUT ${LUM_MAN_GZ}
  COMMAND gzip -9 -n -c ${CMAKE_SOURCE_DIR}/dist/luminaria.6 > ${LUM_MAN_GZ}
  DEPENDS ${CMAKE_SOURCE_DIR}/dist/luminaria.6
  COMMENT "gzip: the man page")
add_custom_target(man_page ALL DEPENDS ${LUM_MAN_GZ})
install(FILES ${LUM_MAN_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# --- the Debian package ------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME luminaria)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Luminaria maintainers <maintainers@luminaria.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Japanese tactical role-playing game")
set(CPACK_PACKAGE_DESCRIPTION
    "Lead a party through a story told in scripted scenes, travel between places on six region maps, shop and change class, and fight timed battles on a board of seven by five squares. All text is Japanese.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
# Depends comes from the shared libraries the program links (Qt, the C++ runtime). SDL2 and
# FluidSynth are opened at run time and the game plays silently without them, so they, the
# SoundFont and the Japanese font are recommended, not required.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "libsdl2-2.0-0, libfluidsynth3, timgm6mb-soundfont | fluid-soundfont-gm, fonts-ipafont-gothic, fonts-ipafont-mincho")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
include(CPack)
