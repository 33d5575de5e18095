# Installation: the programs, the shipped brains, the brain kit (the record header
# and a CMake package with shamblex_add_brain), and on Linux the files that make the
# program an XScreenSaver hack and a MATE or Xfce screen saver.
include(GNUInstallDirs)
# The documentation folder is named after the package, as a distribution names it
# (GNUInstallDirs would name it after the project, "Shamblex").
set(SHAMBLEX_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/shamblex)
include(CMakePackageConfigHelpers)

# The brain kit: find_package(Shamblex) gives shamblex_add_brain(NAME sources...).
set(SHAMBLEX_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Shamblex)
install(FILES ${PROJECT_SOURCE_DIR}/brains/BrainRecord.h ${PROJECT_SOURCE_DIR}/brains/BrainTest.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/shamblex/brains)
# Every installed path is found from the package file's own place, so the installed
# tree can be moved; the folders follow GNUInstallDirs (lib may be lib/<multiarch>).
set(SHAMBLEX_BRAINS_DIR ${CMAKE_INSTALL_LIBDIR}/shamblex/brains)
file(RELATIVE_PATH SHAMBLEX_PACKAGE_TO_PREFIX /prefix/${SHAMBLEX_PACKAGE_DIR} /prefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/ShamblexConfig.cmake.in ${PROJECT_BINARY_DIR}/ShamblexConfig.cmake @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/ShamblexConfig.cmake ${PROJECT_SOURCE_DIR}/cmake/ShamblexCheckBrain.cmake
    DESTINATION ${SHAMBLEX_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/ShamblexConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/ShamblexConfigVersion.cmake DESTINATION ${SHAMBLEX_PACKAGE_DIR})

# Every shipped brain lies in one folder, which the hack plays by default.
set(SHAMBLEX_BRAINS_PATH ${CMAKE_INSTALL_FULL_LIBDIR}/shamblex/brains)
install(TARGETS ${SHAMBLEX_SHIPPED_BRAINS} LIBRARY DESTINATION ${SHAMBLEX_BRAINS_DIR}
    RUNTIME DESTINATION ${SHAMBLEX_BRAINS_DIR})

# For brain authors and tournament organisers: the guide, the brain template and
# the script that spreads an arena over a Slurm cluster.
install(FILES ${PROJECT_SOURCE_DIR}/docs/brains.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${SHAMBLEX_DOC_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/brain-template DESTINATION ${SHAMBLEX_DOC_DIR}/examples)
install(PROGRAMS ${PROJECT_SOURCE_DIR}/tools/arena-slurm.sh DESTINATION ${SHAMBLEX_DOC_DIR}/examples)

if(WIN32)
    install(TARGETS shamblex_scr shamblex-cli shamblex-arena RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/shell/windows/README-windows.txt DESTINATION ${SHAMBLEX_DOC_DIR})
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
configure_file(${PROJECT_SOURCE_DIR}/shell/desktop/shamblex.xml.in ${PROJECT_BINARY_DIR}/shell/shamblex.xml @ONLY)
# The desktop entries name the programs by their installed paths, which are known
# only when installing: `cmake --install --prefix` may choose another prefix than
# the configured one. They are made then, from the prefix of that install.
set(desktop_out ${PROJECT_BINARY_DIR}/shell/installed)
install(CODE "
    set(SHAMBLEX_HACK_PATH \"\${CMAKE_INSTALL_PREFIX}/${SHAMBLEX_HACK_DIR}/shamblex\")
    set(SHAMBLEX_BIN_PATH \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/shamblex\")
    configure_file(${PROJECT_SOURCE_DIR}/shell/desktop/shamblex-screensaver.desktop.in
        ${desktop_out}/screensavers/shamblex.desktop @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/shell/desktop/shamblex.desktop.in ${desktop_out}/shamblex.desktop @ONLY)
")
install(TARGETS shamblex shamblex-cli shamblex-arena RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS shamblex RUNTIME DESTINATION ${SHAMBLEX_HACK_DIR})
install(FILES ${PROJECT_BINARY_DIR}/shell/shamblex.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
install(FILES ${desktop_out}/screensavers/shamblex.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications/screensavers)
install(FILES ${desktop_out}/shamblex.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# Manual pages, made by help2man from each program's own --help and --version, so
# that they never disagree with the programs. Without help2man they are left out,
# with a note.
find_program(SHAMBLEX_HELP2MAN help2man)
if(SHAMBLEX_HELP2MAN)
    set(man_pages)
    # The saver is a screen saver, section 6 like the other hacks; the tools are
    # commands, section 1.
    foreach(entry "shamblex|6|a zombie outbreak on a city grid, as a window or a screen saver"
                  "shamblex-cli|1|run a Shamblex outbreak without a window and write what happened"
                  "shamblex-arena|1|play Shamblex brains against each other over many seeds")
        string(REPLACE "|" ";" entry "${entry}")
        list(GET entry 0 program)
        list(GET entry 1 section)
        list(GET entry 2 summary)
        set(page ${PROJECT_BINARY_DIR}/man/${program}.${section})
        # Compressed, without a name or time inside, as distributions ship them.
        add_custom_command(OUTPUT ${page}.gz
            COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
            COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
                    ${SHAMBLEX_HELP2MAN} --no-info --no-discard-stderr --section=${section} --name=${summary}
                    --output=${page} $<TARGET_FILE:${program}>
            COMMAND gzip -9nf ${page}
            DEPENDS ${program}
            COMMENT "Writing the manual page of ${program}"
            VERBATIM)
        list(APPEND man_pages ${page}.gz)
        install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
    endforeach()
    add_custom_target(man_pages ALL DEPENDS ${man_pages})
else()
    message(STATUS "help2man was not found: the manual pages are not made (Debian package help2man)")
endif()

# What a Debian package must carry besides the programs: the copyright in the
# machine-readable form and a compressed changelog.
set(SHAMBLEX_CONTACT_ADDRESS shamblex@example.org)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.gz
    COMMAND gzip -9nkf ${PROJECT_BINARY_DIR}/packaging/changelog
    DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog
    VERBATIM)
add_custom_target(package_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${PROJECT_BINARY_DIR}/packaging/changelog.gz
    DESTINATION ${SHAMBLEX_DOC_DIR})
# What lintian says of the brains and why it does not apply (see the file).
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
    RENAME shamblex)
