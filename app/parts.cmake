# Parts of the shell built as separate pieces (icons, About window, BMP export,
# help, desktop integration); added to quillmap_shell here.
