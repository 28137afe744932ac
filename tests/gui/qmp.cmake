# GUI tests of the qmp program's window.
qm_gui_test(test_gui_qmp_window qmp_window_test.cpp)
target_link_libraries(test_gui_qmp_window PRIVATE qmp_shell)
