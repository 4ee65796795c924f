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

# What Debian asks of a package besides its programs: their manual pages, the licence in the
# copyright file's own format, the package's changelog; compressed by gzip -9n (no name, no
# date: the same bytes at every build).
set(ZEF30_MAINTENEUR "Équipe de la console ZEF30 <console@zef30.org>")
set(ZEF30_REVISION_PAQUET 1)
set(ZEF30_DOC_PAQUET ${CMAKE_BINARY_DIR}/paquet)
file(MAKE_DIRECTORY ${ZEF30_DOC_PAQUET})
function(zef30_compresser source cible)
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  execute_process(COMMAND gzip -9n -c ${source} OUTPUT_FILE ${cible} RESULT_VARIABLE code)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "gzip ${source}: ${code}")
  endif()
endfunction()
# The manual pages are made when the programs are built: their synopsis and options come from
# the programs' own descriptions (those of --help), the rest from packaging/man.
set(pages "")
foreach(programme zef30-console zef30-simulator)
  set(page ${ZEF30_DOC_PAQUET}/${programme}.1)
  add_custom_command(
    OUTPUT ${page} ${page}.gz
    COMMAND zef30-pages-manuel ${programme} ${CMAKE_CURRENT_LIST_DIR}/man/${programme}.1.in
            ${page}
    COMMAND gzip -9nkf ${page}
    DEPENDS zef30-pages-manuel ${CMAKE_CURRENT_LIST_DIR}/man/${programme}.1.in
    COMMENT "Manual page of ${programme}"
    VERBATIM)
  list(APPEND pages ${page} ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(zef30_pages_manuel ALL DEPENDS ${pages})
# Whatever builds the programs makes their pages, the package's build included.
add_dependencies(zef30-console zef30_pages_manuel)
add_dependencies(zef30-simulator zef30_pages_manuel)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.Debian.in ${ZEF30_DOC_PAQUET}/changelog.Debian
               @ONLY)
zef30_compresser(${ZEF30_DOC_PAQUET}/changelog.Debian ${ZEF30_DOC_PAQUET}/changelog.Debian.gz)
# The licence's text is LICENSE's, set out as the copyright format wants it.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
# Its title and copyright line are said by the fields above the text.
string(REGEX REPLACE "^MIT License\n\nCopyright[^\n]*\n\n" "" licence "${licence}")
string(REGEX REPLACE "\n+$" "" licence "${licence}")
string(REGEX REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REGEX REPLACE "\n" "\n " licence "${licence}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/copyright.in ${ZEF30_DOC_PAQUET}/copyright @ONLY)
install(FILES ${ZEF30_DOC_PAQUET}/copyright ${ZEF30_DOC_PAQUET}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zef30-console)
# The package is not uploaded to Debian: its first changelog entry has no bug to close.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME zef30-console)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zef30-console)
set(CPACK_PACKAGE_CONTACT "${ZEF30_MAINTENEUR}")
set(CPACK_DEBIAN_PACKAGE_RELEASE ${ZEF30_REVISION_PAQUET})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Console de test du terminal de paiement ZEF30 sur une ligne série")
# Lines of at most 80 characters, as Debian shows them.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Une fenêtre avec un bouton par demande au terminal (switch, validité,\n"
    "enregistrement, dossiers, consultation, télécollecte...), et le terminal\n"
    "simulé zef30-simulator pour s'en servir sans terminal.")
# French dialogs of Qt itself, and the window's icon drawn from its SVG.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The dependencies are those of the shared libraries the programs link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
