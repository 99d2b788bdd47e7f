# Installing the game the way Debian lays out its games: the programs in
# PREFIX/games, the shipped game folder read-only in PREFIX/share/the-velotrax
# (the game finds it from its own folder, see src/race/folders.h), the
# launcher entry, the icons, the AppStream metainfo and the licence texts.
# `make package` wraps the same in a .deb installing into /usr.
set(VELOTRAX_APP_ID org.velotrax.TheVelotrax)

install(TARGETS the-velotrax RUNTIME DESTINATION games)
if(TARGET velotrax-tool)
  install(TARGETS velotrax-tool RUNTIME DESTINATION games)
endif()
# The shipped game folder from the source tree, never the build's game folder
# (that one holds a player's settings, points and saved races).
install(DIRECTORY ${CMAKE_SOURCE_DIR}/game/ DESTINATION share/the-velotrax
        FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(FILES ${CMAKE_SOURCE_DIR}/desktop/${VELOTRAX_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/desktop/${VELOTRAX_APP_ID}.metainfo.xml DESTINATION share/metainfo)
foreach(size 256 128 64 32)
  install(FILES ${CMAKE_SOURCE_DIR}/desktop/icons/the-velotrax-${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME the-velotrax.png)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/desktop/copyright DESTINATION share/doc/the-velotrax)

# make package: a .deb with its run-time dependencies declared by hand (the
# Debian 12 names of SDL2, libpng, zlib and PCRE2), installing into /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME the-velotrax)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "The Velotrax developers <velotrax@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "motor-racing game played like a board game")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A circuit is a grid of square tiles; cars move node by node along two lanes,\nin gears that give them movement points. Corners punish speed, computer\ndrivers weigh their risks, and races add up to a season.")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libsdl2-2.0-0 (>= 2.0.14), libsdl2-mixer-2.0-0 (>= 2.0.4), libpng16-16 (>= 1.6.2), zlib1g (>= 1:1.2.0), libpcre2-8-0 (>= 10.32), libc6 (>= 2.34), libstdc++6 (>= 12), libgcc-s1")
include(CPack)
