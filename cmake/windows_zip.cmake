# make windows: the portable Windows copy, build-windows/TheVelotrax-VERSION-
# windows-x64.zip. One folder holding the two programs (linked statically:
# no DLLs), the shipped game folder beside them and the licences.
set(VELOTRAX_ZIP_NAME TheVelotrax-${PROJECT_VERSION}-windows-x64)
add_custom_target(windows_zip ALL
  COMMAND ${CMAKE_COMMAND} -DSRC=${CMAKE_SOURCE_DIR} -DOUT=${CMAKE_BINARY_DIR}
          -DNAME=${VELOTRAX_ZIP_NAME} -DSTRIP=${CMAKE_STRIP}
          -DGAME=$<TARGET_FILE:the-velotrax> -DTOOL=$<TARGET_FILE:velotrax-tool>
          -DDEPS=${VELOTRAX_WINDOWS_DEPS}
          -P ${CMAKE_SOURCE_DIR}/cmake/make_windows_zip.cmake
  DEPENDS the-velotrax velotrax-tool
  COMMENT "Packing ${VELOTRAX_ZIP_NAME}.zip")
