# GUI tests of the separate shell pieces.
qm_gui_test(test_gui_icons icons_test.cpp)
qm_gui_test(test_gui_about_dialog about_dialog_test.cpp)
qm_gui_test(test_gui_bmp_command bmp_command_test.cpp)
target_link_libraries(test_gui_bmp_command PRIVATE qm_test_support)
qm_gui_test(test_gui_export_command export_command_test.cpp)
# PrintSupport: the test prints to a file on the window's printer, a QPrinter.
target_link_libraries(test_gui_export_command PRIVATE qm_test_support Qt6::PrintSupport)
qm_gui_test(test_gui_help_contents help_contents_test.cpp)
target_link_libraries(test_gui_help_contents PRIVATE qm_test_support)
target_compile_definitions(test_gui_help_contents PRIVATE QM_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

# The export again at device pixel ratio 2: the picture keeps its 961 x 641 pixels
# and its two-pixel frame.
add_test(NAME test_gui_bmp_command_2x COMMAND test_gui_bmp_command)
set_tests_properties(test_gui_bmp_command_2x PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_SCALE_FACTOR=2;XDG_RUNTIME_DIR=${CMAKE_CURRENT_BINARY_DIR}/runtime"
  TIMEOUT 120)
# The programs' command lines, run as a user runs them, and their man pages.
qm_gui_test(test_gui_command_line command_line_test.cpp)
target_compile_definitions(test_gui_command_line PRIVATE
  QUILLMAP_PATH="$<TARGET_FILE:quillmap>" QMP_PATH="$<TARGET_FILE:qmp>" QMPTOOL_PATH="$<TARGET_FILE:qmptool>"
  QM_MAN_DIR="${QM_MAN_DIR}" QM_PROJECT_VERSION="${PROJECT_VERSION}")
add_dependencies(test_gui_command_line quillmap qmp qmptool man_pages)
