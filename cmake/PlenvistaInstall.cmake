# What `cmake --install` puts under the prefix: the two programs, the
# manual (its pages and pictures), the sample project, the desktop entry
# with the project file's MIME type, and the program's icon.

include(GNUInstallDirs)

install(TARGETS plenvista plenvista-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/shell/help/ ${PROJECT_SOURCE_DIR}/docs/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/plenvista/manual
        FILES_MATCHING PATTERN "*.html" PATTERN "*.png")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/sample/ DESTINATION ${CMAKE_INSTALL_DATADIR}/plenvista/sample)
install(FILES ${PROJECT_SOURCE_DIR}/desktop/plenvista.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/desktop/plenvista-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME plenvista.xml)
install(FILES ${PROJECT_SOURCE_DIR}/desktop/plenvista.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

if(PLENVISTA_BUILD_TESTS)
  # Installs this build into a prefix of its own and checks what landed.
  add_test(NAME install_layout
           COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DPREFIX=${CMAKE_BINARY_DIR}/install-test
                   -P ${PROJECT_SOURCE_DIR}/cmake/check_install.cmake)
endif()
