# OpenGL scene and screen renderer tests (label gui): an offscreen Qt context, no widgets.
add_executable(test_gl
  ${CMAKE_CURRENT_LIST_DIR}/gl_fixture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_gl_scene.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_gl_render.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_gl_texture.cpp
)
target_link_libraries(test_gl PRIVATE palvorin_gl Qt6::Gui Qt6::OpenGL GTest::gtest)
target_include_directories(test_gl PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_definitions(test_gl PRIVATE
  PALVORIN_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
  PALVORIN_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  PALVORIN_BINARY_DIR="${CMAKE_BINARY_DIR}")
gtest_discover_tests(test_gl DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
  PROPERTIES LABELS gui)
