# Tests of the typed stream and the object file.
palvorin_test(test_stream palvorin_core ${CMAKE_CURRENT_LIST_DIR}/test_stream.cpp)
palvorin_test(test_objectfile palvorin_core ${CMAKE_CURRENT_LIST_DIR}/test_objectfile.cpp)
