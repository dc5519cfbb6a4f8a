# Installed as a desktop program: the executable in bin/, the files it ships with in
# share/halvoren/, which the program looks for beside its bin folder, and the desktop
# integration. The portable archive holds the executable and its files side by side instead.
include(GNUInstallDirs)

set(halvoren_shipped_files
    ${PROJECT_SOURCE_DIR}/assets/readme.txt
    ${PROJECT_SOURCE_DIR}/assets/blank.bmp
    ${PROJECT_SOURCE_DIR}/assets/fail.wav)

install(TARGETS halvoren RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
install(FILES ${halvoren_shipped_files} DESTINATION ${CMAKE_INSTALL_DATADIR}/halvoren
    COMPONENT program)

set(icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES assets/icons/${HALVOREN_APP_ID}.svg DESTINATION ${icons}/scalable/apps
    COMPONENT program)
foreach(size 48 64 128 256)
    install(FILES assets/icons/halvoren-${size}.png DESTINATION ${icons}/${size}x${size}/apps
        RENAME ${HALVOREN_APP_ID}.png COMPONENT program)
endforeach()

install(FILES packaging/${HALVOREN_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT program)
configure_file(packaging/${HALVOREN_APP_ID}.metainfo.xml.in
    ${PROJECT_BINARY_DIR}/packaging/${HALVOREN_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/${HALVOREN_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT program)

# Debian wants the manual page and its changelog compressed, without a time stamp.
find_program(GZIP_PROGRAM gzip)
if(UNIX AND GZIP_PROGRAM)
    set(compressed)
    foreach(file halvoren.1 changelog.Debian)
        configure_file(packaging/${file} ${PROJECT_BINARY_DIR}/packaging/${file} @ONLY)
        add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/${file}.gz
            COMMAND ${GZIP_PROGRAM} -9nkf ${file}
            DEPENDS ${PROJECT_BINARY_DIR}/packaging/${file}
            WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/packaging
            VERBATIM)
        list(APPEND compressed ${PROJECT_BINARY_DIR}/packaging/${file}.gz)
    endforeach()
    add_custom_target(halvoren_packaging_files ALL DEPENDS ${compressed})
    install(FILES ${PROJECT_BINARY_DIR}/packaging/halvoren.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT program)
    install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.Debian.gz packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/halvoren COMPONENT debian EXCLUDE_FROM_ALL)
    install(FILES packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME halvoren COMPONENT debian EXCLUDE_FROM_ALL)
endif()

install(TARGETS halvoren RUNTIME DESTINATION . COMPONENT portable EXCLUDE_FROM_ALL)
install(FILES ${halvoren_shipped_files} DESTINATION . COMPONENT portable EXCLUDE_FROM_ALL)
