# The installed layout (freedesktop and Debian places) and the Debian package.
#   bin/vk7, bin/vk7check
#   share/vk7/FORM, share/vk7/DATA (found by ProgramDataFolder)
#   share/applications/vk7.desktop, share/icons/hicolor/scalable/apps/vk7.svg
#   share/metainfo/es.vk7.vk7.metainfo.xml
#   share/man/man1 (vk7 in Spanish, vk7check in English), share/man/es/man1
include(GNUInstallDirs)

install(TARGETS vk7 vk7check RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/FORM ${CMAKE_SOURCE_DIR}/DATA
        DESTINATION ${CMAKE_INSTALL_DATADIR}/vk7
        PATTERN "README.md" EXCLUDE)
install(FILES ${CMAKE_SOURCE_DIR}/resources/vk7.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/vk7.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/resources/es.vk7.vk7.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages, compressed as Debian ships them.
set(man_pages
  "es/vk7.1|man1"
  "en/vk7check.1|man1"
  "es/vk7.1|es/man1"
  "es/vk7check.1|es/man1")
set(man_outputs)
foreach(entry ${man_pages})
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 source)
  list(GET parts 1 section)
  get_filename_component(name ${source} NAME)
  set(output ${CMAKE_BINARY_DIR}/man/${section}/${name}.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man/${section}
    COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/resources/man/${source} > ${output}
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/man/${source} VERBATIM)
  list(APPEND man_outputs ${output})
  install(FILES ${output} DESTINATION ${CMAKE_INSTALL_MANDIR}/${section})
endforeach()
add_custom_target(vk7_manual_pages ALL DEPENDS ${man_outputs})

set(CPACK_PACKAGE_NAME vk7)
set(CPACK_PACKAGE_VENDOR "VK7")
set(CPACK_PACKAGE_CONTACT "VK7 <vk7@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Recepción de Depósitos Digitales de cuentas anuales")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Recepción de Depósitos Digitales de cuentas anuales
 Programa de escritorio (vk7) y comprobador de línea de órdenes (vk7check) con
 los que el registro recibe, comprueba e imprime los Depósitos Digitales de
 cuentas anuales.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the linker does not see: Qt's platform, SVG and SQL plugins (the window,
# its icons, the reception register), Qt's Spanish texts, and the fonts the pages are drawn with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "qt6-qpa-plugins, libqt6svg6, qt6-translations-l10n, fontconfig, fonts-urw-base35, fonts-liberation, libqt6sql6-sqlite, libqt6sql6-psql")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups-client, xdg-utils")
set(CPACK_GENERATOR DEB)
include(CPack)

# The package built, checked and its vk7check run from an unpacked copy.
add_test(NAME install_package_test
  COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/package-test.sh ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
set_tests_properties(install_package_test PROPERTIES TIMEOUT 300)
vk7_label_test(install_package_test system)
