# Installation: the programs, the shipped brains, the brain kit (the record header
# and a CMake package with shamblex_add_brain), and on Linux the files that make the
# program an XScreenSaver hack and a MATE or Xfce screen saver.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The brain kit: find_package(Shamblex) gives shamblex_add_brain(NAME sources...).
set(SHAMBLEX_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Shamblex)
install(FILES ${PROJECT_SOURCE_DIR}/brains/BrainRecord.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/shamblex/brains)
# Every installed path is found from the package file's own place, so the installed
# tree can be moved; the folders follow GNUInstallDirs (lib may be lib/<multiarch>).
set(SHAMBLEX_BRAINS_DIR ${CMAKE_INSTALL_LIBDIR}/shamblex/brains)
file(RELATIVE_PATH SHAMBLEX_PACKAGE_TO_PREFIX /prefix/${SHAMBLEX_PACKAGE_DIR} /prefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/ShamblexConfig.cmake.in ${PROJECT_BINARY_DIR}/ShamblexConfig.cmake @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/ShamblexConfig.cmake DESTINATION ${SHAMBLEX_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/ShamblexConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/ShamblexConfigVersion.cmake DESTINATION ${SHAMBLEX_PACKAGE_DIR})

# Every shipped brain lies in one folder, which the hack plays by default.
set(SHAMBLEX_BRAINS_PATH ${CMAKE_INSTALL_FULL_LIBDIR}/shamblex/brains)
install(TARGETS ${SHAMBLEX_SHIPPED_BRAINS} LIBRARY DESTINATION ${SHAMBLEX_BRAINS_DIR}
    RUNTIME DESTINATION ${SHAMBLEX_BRAINS_DIR})

if(WIN32)
    install(TARGETS shamblex_scr shamblex-cli shamblex-arena RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    # The Windows release: shamblex-windows.zip with the saver, the shipped brains,
    # the runner and the arena, the brain header and a short text on installing and brains. The
    # programs go in without their debugging information.
    set(package_folder ${PROJECT_BINARY_DIR}/package/shamblex)
    set(package_zip ${PROJECT_BINARY_DIR}/shamblex-windows.zip)
    set(brain_files)
    foreach(brain ${SHAMBLEX_SHIPPED_BRAINS})
        list(APPEND brain_files $<TARGET_FILE:${brain}>)
    endforeach()
    add_custom_command(
        OUTPUT ${package_zip}
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${package_folder}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${package_folder}
        COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:shamblex_scr> ${brain_files}
                $<TARGET_FILE:shamblex-cli> $<TARGET_FILE:shamblex-arena> ${PROJECT_SOURCE_DIR}/brains/BrainRecord.h
                ${PROJECT_SOURCE_DIR}/shell/windows/README-windows.txt ${package_folder}
        COMMAND ${CMAKE_STRIP} --strip-debug ${package_folder}/$<TARGET_FILE_NAME:shamblex_scr>
                ${package_folder}/$<TARGET_FILE_NAME:shamblex-cli> ${package_folder}/$<TARGET_FILE_NAME:shamblex-arena>
        COMMAND ${CMAKE_COMMAND} -E chdir ${PROJECT_BINARY_DIR}/package
                ${CMAKE_COMMAND} -E tar cf ${package_zip} --format=zip "--mtime=2026-01-01 00:00:00 UTC" shamblex
        DEPENDS shamblex_scr ${SHAMBLEX_SHIPPED_BRAINS} shamblex-cli shamblex-arena ${PROJECT_SOURCE_DIR}/brains/BrainRecord.h
                ${PROJECT_SOURCE_DIR}/shell/windows/README-windows.txt
        COMMENT "Packing shamblex-windows.zip"
        VERBATIM)
    add_custom_target(windows_package ALL DEPENDS ${package_zip})
    return()
endif()

set(SHAMBLEX_HACK_DIR ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
set(SHAMBLEX_HACK_PATH ${CMAKE_INSTALL_FULL_LIBEXECDIR}/xscreensaver/shamblex)
set(SHAMBLEX_BIN_PATH ${CMAKE_INSTALL_FULL_BINDIR}/shamblex)
configure_file(${PROJECT_SOURCE_DIR}/shell/desktop/shamblex-screensaver.desktop.in
    ${PROJECT_BINARY_DIR}/shell/screensavers/shamblex.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/shell/desktop/shamblex.desktop.in ${PROJECT_BINARY_DIR}/shell/shamblex.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/shell/desktop/shamblex.xml.in ${PROJECT_BINARY_DIR}/shell/shamblex.xml @ONLY)
install(TARGETS shamblex shamblex-cli shamblex-arena RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS shamblex RUNTIME DESTINATION ${SHAMBLEX_HACK_DIR})
install(FILES ${PROJECT_BINARY_DIR}/shell/shamblex.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
install(FILES ${PROJECT_BINARY_DIR}/shell/screensavers/shamblex.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications/screensavers)
install(FILES ${PROJECT_BINARY_DIR}/shell/shamblex.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
