# The qmp program: its window on the shared shell, and its entry point. The window
# is a library of its own so that the GUI tests drive the same code.
add_library(qmp_shell STATIC
  ${CMAKE_CURRENT_LIST_DIR}/qmp_window.cpp
)
target_link_libraries(qmp_shell PUBLIC quillmap_shell)

qt_add_executable(qmp ${CMAKE_CURRENT_LIST_DIR}/qmp_main.cpp)
target_link_libraries(qmp PRIVATE qmp_shell)
qm_modules_beside(qmp)
