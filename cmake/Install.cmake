# Installation on Linux: the programs, the sample brain, the brain header, and the
# files that make the program an XScreenSaver hack and a MATE or Xfce screen saver.
if(WIN32)
    return()
endif()
include(GNUInstallDirs)
set(SHAMBLEX_HACK_DIR ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
set(SHAMBLEX_HACK_PATH ${CMAKE_INSTALL_FULL_LIBEXECDIR}/xscreensaver/shamblex)
set(SHAMBLEX_BIN_PATH ${CMAKE_INSTALL_FULL_BINDIR}/shamblex)
configure_file(${PROJECT_SOURCE_DIR}/shell/desktop/shamblex-screensaver.desktop.in ${PROJECT_BINARY_DIR}/shell/screensavers/shamblex.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/shell/desktop/shamblex.desktop.in ${PROJECT_BINARY_DIR}/shell/shamblex.desktop @ONLY)
install(TARGETS shamblex shamblex-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS shamblex RUNTIME DESTINATION ${SHAMBLEX_HACK_DIR})
install(TARGETS wanderwit LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/shamblex/brains)
install(FILES ${PROJECT_SOURCE_DIR}/brains/BrainRecord.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/shamblex/brains)
install(FILES ${PROJECT_SOURCE_DIR}/shell/desktop/shamblex.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
install(FILES ${PROJECT_BINARY_DIR}/shell/screensavers/shamblex.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications/screensavers)
install(FILES ${PROJECT_BINARY_DIR}/shell/shamblex.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
