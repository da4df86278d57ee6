# Installation as a Debian program: qma7 in bin/, the plug-in module and the platform library
# it shares with qma7 in lib/qma7/ (found from qma7's own place, so an unpacked package works
# wherever it lies), the manual page and the guides; `cpack -G DEB` makes the package.
include(GNUInstallDirs)

set(QMA7_PRIVATE_LIBDIR lib/qma7)  # host/app/PluginLocator.h knows it as ../lib/qma7 from bin/
set_target_properties(qma7 PROPERTIES INSTALL_RPATH "$ORIGIN/../${QMA7_PRIVATE_LIBDIR}")
set_target_properties(QMA7 qma7platform PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS qma7 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS QMA7 qma7platform LIBRARY DESTINATION ${QMA7_PRIVATE_LIBDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/host/web/page/ DESTINATION ${CMAKE_INSTALL_DATADIR}/qma7/web)
install(FILES ${CMAKE_SOURCE_DIR}/docs/qma7.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/docs/user-guide.md
              ${CMAKE_SOURCE_DIR}/docs/automation.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qma7)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "QMA7 maintainers")
set(CPACK_PACKAGE_CONTACT "QMA7 maintainers <maintainers@users.noreply.c-seed-3ffd767d.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "settings sheet for the QMA7 air-handling controller node (LonWorks)")
set(CPACK_PACKAGE_DESCRIPTION
    "qma7 reads and writes the settings of a QMA7 air-handling controller node in a terminal or
a web browser: on a simulated node, or on a real one over LON/IP. It saves a node's whole
configuration to a text file and loads it back, restores factory settings, and plays
commissioning scripts.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The platform library is the package's own; dpkg-shlibdeps finds it in the build tree.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
set(CPACK_STRIP_FILES ON)
include(CPack)
