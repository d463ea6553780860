"""Drives the real programs through the accessibility tree, by the captions a user reads."""
import time

import pyatspi


class Failure(Exception):
    pass


def wait(what, condition, seconds=15.0):
    """The first true value of condition() within seconds, else a failure naming what."""
    end = time.monotonic() + seconds
    while True:
        try:
            value = condition()
        except Exception:  # the tree changes under us while windows come and go
            value = None
        if value:
            return value
        if time.monotonic() > end:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.1)


def application(name_part):
    desk = pyatspi.Registry.getDesktop(0)
    for i in range(desk.childCount):
        app = desk.getChildAtIndex(i)
        if app is not None and name_part in (app.name or ""):
            return app
    return None


def find(root, role=None, name=None, showing=False):
    """The first descendant with that role name and accessible name (either may be None)."""
    found = []

    def walk(node, depth):
        if node is None or found or depth > 25:
            return
        try:
            r, n = node.getRoleName(), node.name
        except Exception:
            return
        if (role is None or r == role) and (name is None or n == name):
            if not showing or node.getState().contains(pyatspi.STATE_SHOWING):
                found.append(node)
                return
        for i in range(node.childCount):
            walk(node.getChildAtIndex(i), depth + 1)

    walk(root, 0)
    return found[0] if found else None


def find_all(root, role=None, name=None):
    out = []

    def walk(node, depth):
        if node is None or depth > 25:
            return
        try:
            r, n = node.getRoleName(), node.name
        except Exception:
            return
        if (role is None or r == role) and (name is None or n == name):
            out.append(node)
        for i in range(node.childCount):
            walk(node.getChildAtIndex(i), depth + 1)

    walk(root, 0)
    return out


def window(app_part, name, seconds=15.0, role=None):
    """A showing top-level window (frame or dialog) of the application by its caption."""
    def look():
        app = application(app_part)
        if app is None:
            return None
        for i in range(app.childCount):
            w = app.getChildAtIndex(i)
            if w is not None and w.name == name and (role is None or w.getRoleName() == role):
                if w.getState().contains(pyatspi.STATE_SHOWING):
                    return w
        return None
    return wait("window " + name, look, seconds)


def gone(app_part, name, seconds=15.0):
    def look():
        app = application(app_part)
        if app is None:
            return True
        for i in range(app.childCount):
            w = app.getChildAtIndex(i)
            if w is not None and w.name == name and w.getState().contains(pyatspi.STATE_SHOWING):
                return False
        return True
    wait("window " + name + " to close", look, seconds)


def set_text(field, text):
    """Types the text into a field (a combo box types into its editable part)."""
    target = field
    if field.getRoleName() == "combo box":
        target = find(field, role="text")
    editable = target.queryEditableText()
    editable.setTextContents(text)


def text_of(field):
    t = field.queryText()
    return t.getText(0, t.characterCount)


def press(button):
    """Clicks a button with the mouse: an action through the tree would wait for a modal
    dialog the click opens, and the dialog would wait for us."""
    click(button)


def button(root, name, seconds=10.0):
    return wait("button " + name, lambda: find(root, role="push button", name=name, showing=True), seconds)


def field(root, name, seconds=10.0):
    def look():
        for role in ("text", "password text", "combo box", "paragraph"):
            f = find(root, role=role, name=name, showing=True)
            if f is not None:
                return f
        return None
    return wait("field " + name, look, seconds)


def click(node, double=False):
    """A real mouse click in the middle of what the accessibility tree says the node covers."""
    import subprocess
    e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    x, y = e.x + e.width // 2, e.y + e.height // 2
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "--repeat", "2" if double else "1", "1"],
                   check=True)
