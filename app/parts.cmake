# Parts of the shell built as separate pieces (icons, About window, BMP export,
# help, desktop integration); added to quillmap_shell here.
target_sources(quillmap_shell PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/icons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/about_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bmp_command.cpp
  ${CMAKE_CURRENT_LIST_DIR}/help_contents.cpp
)
