# Tests of the vector maths, element lists, groups and objects.
palvorin_test(test_vector palvorin_core ${CMAKE_CURRENT_LIST_DIR}/test_vector.cpp)
palvorin_test(test_profile palvorin_core ${CMAKE_CURRENT_LIST_DIR}/test_profile.cpp)
palvorin_test(test_extrobj palvorin_core ${CMAKE_CURRENT_LIST_DIR}/test_extrobj.cpp)
