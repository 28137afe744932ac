# GUI tests of the separate shell pieces.
qm_gui_test(test_gui_icons icons_test.cpp)
qm_gui_test(test_gui_about_dialog about_dialog_test.cpp)
qm_gui_test(test_gui_bmp_export bmp_export_test.cpp)
target_link_libraries(test_gui_bmp_export PRIVATE qm_test_support)
qm_gui_test(test_gui_help_contents help_contents_test.cpp)
target_link_libraries(test_gui_help_contents PRIVATE qm_test_support)
