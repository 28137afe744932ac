# Parts of the shell built as separate pieces (icons, About window, BMP export,
# help, desktop integration); added to quillmap_shell here.
target_sources(quillmap_shell PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/icons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/about_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bmp_export.cpp
  ${CMAKE_CURRENT_LIST_DIR}/help_contents.cpp
)

# Installation into the usual places of a Linux desktop: the program, its help
# text in the data folder (where the help command looks after the program's own
# folder), the menu entry, the icon and the file type of documents.
include(GNUInstallDirs)
install(TARGETS quillmap RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/ReadMe.txt DESTINATION ${CMAKE_INSTALL_DATADIR}/quillmap)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/desktop/quillmap.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/desktop/quillmap.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/desktop/quillmap-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME quillmap.xml)
