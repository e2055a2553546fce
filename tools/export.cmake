# palvorin-export: the command-line exporter and picture maker; needs no display.
add_executable(palvorin-export ${CMAKE_CURRENT_LIST_DIR}/palvorin-export.cpp
                               ${CMAKE_CURRENT_LIST_DIR}/UnMakingReports.cpp
                               ${CMAKE_CURRENT_LIST_DIR}/UnOutlineDocument.cpp)
target_link_libraries(palvorin-export PRIVATE palvorin_core)
# PNG pictures through an offscreen OpenGL context (not in the core-only build).
if(NOT PALVORIN_CORE_ONLY)
  target_link_libraries(palvorin-export PRIVATE palvorin_offscreen)
  target_compile_definitions(palvorin-export PRIVATE PALVORIN_PICTURES)
endif()
include(GNUInstallDirs)
install(TARGETS palvorin-export RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
