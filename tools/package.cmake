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
