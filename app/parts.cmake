# Parts of the shell built as separate pieces (icons, About window, BMP export,
# help, desktop integration); added to quillmap_shell here.
target_sources(quillmap_shell PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/icons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/about_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bmp_command.cpp
  ${CMAKE_CURRENT_LIST_DIR}/help_contents.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zoom_field.cpp
)
# The help text built into the program, shown when no ReadMe.txt is found.
qt_add_resources(quillmap_shell help_text PREFIX /help BASE ${PROJECT_SOURCE_DIR} FILES ${PROJECT_SOURCE_DIR}/ReadMe.txt)
