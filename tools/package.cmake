# The Debian package: cpack -G DEB in the build folder writes palvorin_<version>_<arch>.deb.
set(CPACK_PACKAGE_NAME palvorin)
set(CPACK_PACKAGE_VENDOR "The Palvorin developers")
set(CPACK_PACKAGE_CONTACT "Palvorin developers <maintainers@palvorin.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "modeller of swept solids")
# The long description, in lines of Debian's usual width.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Palvorin draws a closed 2D profile and a 2D path and sweeps the profile\n"
  "along the path (mitred or rounded corners, end caps) or spins it about the\n"
  "vertical axis. Documents hold several coloured or textured objects and\n"
  "export as DXF, VRML 2.0, 3DS, glTF 2.0, OBJ, STL and 3MF. palvorin-export\n"
  "converts documents and makes pictures and thumbnails without a display.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://palvorin.org/)
# Pictures without a display need Mesa's EGL driver, which the linked libEGL only loads.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libegl-mesa0, libgl1-mesa-dri")
set(CPACK_STRIP_FILES ON)
include(CPack)

# Debian's documents: the changelog, the copyright file (machine-readable, the licence by its name
# in /usr/share/common-licenses) and manual pages made from the programs' --help, compressed.
include(GNUInstallDirs)
set(debian ${CMAKE_BINARY_DIR}/debian)
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${debian}/changelog @ONLY)
add_custom_command(OUTPUT ${debian}/changelog.gz
  COMMAND gzip -9nkf ${debian}/changelog
  DEPENDS ${debian}/changelog
  VERBATIM)
set(debian_docs ${debian}/changelog.gz)
install(FILES ${debian}/changelog.gz ${CMAKE_CURRENT_LIST_DIR}/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/palvorin)
foreach(page "palvorin|modeller of swept solids|palvorin-export"
             "palvorin-export|convert Palvorin documents and make pictures without a display|palvorin")
  string(REPLACE "|" ";" page "${page}")
  list(GET page 0 program)
  list(GET page 1 summary)
  list(GET page 2 see)
  if(NOT TARGET ${program})
    continue()
  endif()
  set(out ${debian}/man/${program}.1.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> -DNAME=${program}
            -DSUMMARY=${summary} -DVERSION=${PROJECT_VERSION} -DSEE=${see} -DOUTPUT=${out}
            -P ${CMAKE_CURRENT_LIST_DIR}/manpage.cmake
    DEPENDS ${program} ${CMAKE_CURRENT_LIST_DIR}/manpage.cmake
    VERBATIM)
  list(APPEND debian_docs ${out})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(debian-docs ALL DEPENDS ${debian_docs})
