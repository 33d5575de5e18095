# Packages made by CPack from the install rules: a Debian package on Linux
# (`cpack -G DEB` in the build folder) and an NSIS installer for Windows (`cpack -G
# NSIS` in the Windows build folder). Both carry exactly what `cmake --install`
# puts in place.
set(CPACK_PACKAGE_NAME shamblex)
set(CPACK_PACKAGE_VENDOR "The Shamblex developers")
set(CPACK_PACKAGE_CONTACT "The Shamblex developers <shamblex@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "zombie outbreak screen saver with plug-in brains")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Shamblex)
# The programs and brains go in without their debugging information.
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
# The values below reach the generators as written here (no second unescaping).
set(CPACK_VERBATIM_VARIABLES ON)

if(WIN32)
    set(CPACK_GENERATOR NSIS)
    set(CPACK_NSIS_DISPLAY_NAME Shamblex)
    set(CPACK_NSIS_PACKAGE_NAME Shamblex)
    set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
    set(CPACK_NSIS_MODIFY_PATH OFF)
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
    # A 64-bit installer for 64-bit programs: it runs where they run (no 32-bit
    # layer needed) and writes the uninstall entry in the 64-bit registry.
    set(CPACK_NSIS_DEFINES "Target amd64-unicode")
    # The installer offers to make Shamblex the screen saver (yes when silent: the
    # saver is what it installs), keeping the one that was set; the uninstaller puts
    # that one back if Shamblex is still the screen saver then.
    set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "
  MessageBox MB_YESNO|MB_ICONQUESTION 'Make Shamblex your screen saver?' /SD IDYES IDNO shamblex_keep_saver
  ReadRegStr $0 HKCU 'Control Panel\\Desktop' 'SCRNSAVE.EXE'
  WriteRegStr HKCU 'Software\\Shamblex' 'PreviousScreenSaver' $0
  WriteRegStr HKCU 'Control Panel\\Desktop' 'SCRNSAVE.EXE' '$INSTDIR\\bin\\shamblex.scr'
  WriteRegStr HKCU 'Control Panel\\Desktop' 'ScreenSaveActive' '1'
shamblex_keep_saver:
")
    set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "
  ReadRegStr $0 HKCU 'Control Panel\\Desktop' 'SCRNSAVE.EXE'
  StrCmp $0 '$INSTDIR\\bin\\shamblex.scr' 0 shamblex_saver_done
  ReadRegStr $1 HKCU 'Software\\Shamblex' 'PreviousScreenSaver'
  StrCmp $1 '' 0 shamblex_saver_back
  DeleteRegValue HKCU 'Control Panel\\Desktop' 'SCRNSAVE.EXE'
  Goto shamblex_saver_done
shamblex_saver_back:
  WriteRegStr HKCU 'Control Panel\\Desktop' 'SCRNSAVE.EXE' $1
shamblex_saver_done:
  DeleteRegKey HKCU 'Software\\Shamblex'
")
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    # Where Debian files screen savers (a game section wants a program in /usr/games).
    set(CPACK_DEBIAN_PACKAGE_SECTION x11)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    # The libraries the programs need, found by dpkg-shlibdeps from the programs.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | mate-screensaver | xfce4-screensaver, ffmpeg")
    # The long description; CPack puts the summary above it and indents it.
    set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Shamblex runs a zombie outbreak on a city grid: zombies chase and infect,
humans panic and flee. It runs as a window, a full-screen screen saver or an
XScreenSaver hack. Brains, plug-in libraries, drive the humans and compete to
survive; they run in a sandboxed worker process. The package includes the
runner for outbreaks without a window, the arena for brain tournaments, the
shipped brains and the kit to build new ones.")
endif()
include(CPack)
