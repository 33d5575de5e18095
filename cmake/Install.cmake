# Installation on Linux: the programs, the sample brain, the brain header, and the
# files that make the program an XScreenSaver hack and a MATE or Xfce screen saver.
if(WIN32)
    # The Windows release: shamblex-windows.zip with the saver, the sample brain,
    # the runner, the brain header and a short text on installing and brains. The
    # programs go in without their debugging information.
    set(package_folder ${PROJECT_BINARY_DIR}/package/shamblex)
    set(package_zip ${PROJECT_BINARY_DIR}/shamblex-windows.zip)
    add_custom_command(
        OUTPUT ${package_zip}
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${package_folder}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${package_folder}
        COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:shamblex_scr> $<TARGET_FILE:wanderwit>
                $<TARGET_FILE:shamblex-cli> ${PROJECT_SOURCE_DIR}/brains/BrainRecord.h
                ${PROJECT_SOURCE_DIR}/shell/windows/README-windows.txt ${package_folder}
        COMMAND ${CMAKE_STRIP} --strip-debug ${package_folder}/$<TARGET_FILE_NAME:shamblex_scr>
                ${package_folder}/$<TARGET_FILE_NAME:wanderwit> ${package_folder}/$<TARGET_FILE_NAME:shamblex-cli>
        COMMAND ${CMAKE_COMMAND} -E chdir ${PROJECT_BINARY_DIR}/package
                ${CMAKE_COMMAND} -E tar cf ${package_zip} --format=zip "--mtime=2026-01-01 00:00:00 UTC" shamblex
        DEPENDS shamblex_scr wanderwit shamblex-cli ${PROJECT_SOURCE_DIR}/brains/BrainRecord.h
                ${PROJECT_SOURCE_DIR}/shell/windows/README-windows.txt
        COMMENT "Packing shamblex-windows.zip"
        VERBATIM)
    add_custom_target(windows_package ALL DEPENDS ${package_zip})
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
