# palvorin-export: the command-line exporter; core library only, no display needed.
add_executable(palvorin-export ${CMAKE_CURRENT_LIST_DIR}/palvorin-export.cpp
                               ${CMAKE_CURRENT_LIST_DIR}/UnOutlineDocument.cpp)
target_link_libraries(palvorin-export PRIVATE palvorin_core)
