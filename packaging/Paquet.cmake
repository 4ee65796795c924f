# Installing the console and its simulated terminal, and the Debian package made from that.
include(GNUInstallDirs)
install(TARGETS zef30-console zef30-simulator RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The window program, which zef30-console starts in its place; nobody runs it by name.
install(TARGETS zef30-console-fenetre RUNTIME DESTINATION ${ZEF30_DOSSIER_FENETRE})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/zef30-console.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/zef30-console.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# Installing needs only what it installs: the programs, not the tests and benchmarks.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zef30-console)
set(CPACK_PACKAGE_CONTACT "Équipe de la console ZEF30 <zef30@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Console de test du terminal de paiement ZEF30 sur une ligne série")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Une fenêtre avec un bouton par demande au terminal (switch, validité, enregistrement,\n"
    "dossiers, consultation, télécollecte...), et le terminal simulé zef30-simulator pour\n"
    "s'en servir sans terminal.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The dependencies are those of the shared libraries the programs link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
