# Example document generator: builds examples/*.PLV and their texture images with the core only.
add_executable(palvorin-make-examples ${CMAKE_CURRENT_LIST_DIR}/make-examples.cpp)
target_link_libraries(palvorin-make-examples PRIVATE palvorin_core)

# Regenerates the committed examples: cmake --build <dir> --target examples
add_custom_target(examples
  COMMAND palvorin-make-examples ${CMAKE_SOURCE_DIR}/examples
  COMMENT "Writing the example documents into examples/"
  VERBATIM)

# The example documents and their images, installed for users to open.
include(GNUInstallDirs)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/palvorin/examples)
