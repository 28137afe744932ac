#!/usr/bin/python3
"""A screen reader's view of the running editor, through AT-SPI (pyatspi) on the
session bus it is started on. One question a run, its answer one line each:

  atspi_client.py toolbar    the names of the toolbar's buttons
  atspi_client.py canvas     the name of each element of the canvas
  atspi_client.py selected   the names of the canvas's selected elements

Exit status 1, with a line on standard error, when the editor or the control is
not (yet) there: the caller asks again until it is.
"""
import sys

import pyatspi


def find(node, role, depth=0):
    """The first accessible of the role below node, depth first."""
    if depth > 12:
        return None
    for child in node:
        if child is None:
            continue
        if child.getRole() == role:
            return child
        found = find(child, role, depth + 1)
        if found is not None:
            return found
    return None


def editor():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name in ("Quillmap", "quillmap"):
            return app
    return None


def main(question):
    app = editor()
    if app is None:
        sys.exit("the editor is not on the accessibility bus")
    if question == "toolbar":
        bar = find(app, pyatspi.ROLE_TOOL_BAR)
        if bar is None:
            sys.exit("no toolbar")
        names = [b.name for b in bar if b is not None and b.getRole() == pyatspi.ROLE_PUSH_BUTTON]
    else:
        canvas = find(app, pyatspi.ROLE_CANVAS)
        if canvas is None:
            sys.exit("no canvas")
        # The editor boxes lie on the canvas too, hidden but for an edit.
        elements = [e for e in canvas if e is not None and e.getRole() != pyatspi.ROLE_TEXT]
        if question == "selected":
            elements = [e for e in elements if e.getState().contains(pyatspi.STATE_SELECTED)]
        names = [e.name for e in elements]
    print("\n".join(names))


if __name__ == "__main__":
    main(sys.argv[1])
