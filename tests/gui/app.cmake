# Main window tests (label gui): the real window driven through its commands, under a display.
find_package(Qt6 REQUIRED COMPONENTS Test)
add_executable(test_app
  ${CMAKE_CURRENT_LIST_DIR}/test_app_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_app_fixture.h
  ${CMAKE_CURRENT_LIST_DIR}/test_app_objects.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_app_files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_app_view.cpp
)
target_link_libraries(test_app PRIVATE palvorin_app Qt6::Test GTest::gtest)
target_include_directories(test_app PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_definitions(test_app PRIVATE
  PALVORIN_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
  PALVORIN_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  PALVORIN_BINARY_DIR="${CMAKE_BINARY_DIR}")
gtest_discover_tests(test_app DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
  PROPERTIES LABELS gui)
