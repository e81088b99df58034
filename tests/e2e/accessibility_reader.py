#!/usr/bin/python3
"""Reads the running program through AT-SPI as a screen reader does, and says what is wrong.

Usage: accessibility_reader.py DOCUMENT WORD SHOTS_DIR

DOCUMENT is opened through File > Open; its first three lines must come back through the Text
interface with '\\n' ends; WORD is searched for through the find dialog and every match must carry
the marks' attributes. Exits 1 with a line per fault found.
"""
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import GLib  # noqa: E402
import pyatspi  # noqa: E402

DOCUMENT, WORD, SHOTS = sys.argv[1], sys.argv[2], sys.argv[3]
faults = []


def fault(message):
    print("FAULT: " + message, flush=True)
    faults.append(message)


def pump(seconds=0.0):
    """Lets events from the bus arrive for a while."""
    deadline = time.monotonic() + seconds
    context = GLib.MainContext.default()
    while True:
        while context.iteration(False):
            pass
        if time.monotonic() >= deadline:
            return
        time.sleep(0.05)


def wait_for(what, find, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = find()
        if found is not None:
            return found
        pump(0.1)
    raise SystemExit("FAIL: %s did not appear" % what)


def walk(node, depth=0):
    yield node
    if depth > 30:
        return
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def shown(node):
    states = node.getState()
    return states.contains(pyatspi.STATE_SHOWING) and states.contains(pyatspi.STATE_VISIBLE)


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name.lower() == "glimmer":
            return app
    return None


def window(name):
    """The top-level window of the program with that caption, whatever its role."""
    app = application()
    if app is None:
        return None
    for i in range(app.childCount):
        child = app.getChildAtIndex(i)
        if child is not None and child.name == name and shown(child):
            return child
    return None


def find(root, role, name=None):
    for node in walk(root):
        if node.getRoleName() == role and (name is None or node.name == name):
            return node
    return None


def press(node, action="press"):
    actions = node.queryAction()
    names = [actions.getName(i).lower() for i in range(actions.nActions)]
    if action not in names:
        fault("%r offers the actions %r, not %r" % (node.name, names, action))
        return False
    actions.doAction(names.index(action))
    return True


def menu_item(frame, name):
    item = find(frame, "menu item", name)
    if item is None:
        raise SystemExit("FAIL: no menu item %r" % name)
    return item


def keys(*names):
    subprocess.run(["xdotool", "key", "--clearmodifiers", "--delay", "60", *names], check=True)
    time.sleep(0.3)


def type_text(text):
    subprocess.run(["xdotool", "type", "--clearmodifiers", "--delay", "20", text], check=True)
    time.sleep(0.2)


def shot(name):
    subprocess.run(["import", "-window", "root", "%s/%s.png" % (SHOTS, name)], check=False)


def choose_open(frame):
    """File > Open through the item's action: the press is answered while the dialog opens."""
    item = menu_item(frame, "Open")
    try:
        press(item)
    except GLib.Error as error:
        fault("pressing File > Open got no answer while its dialog was open: %s" % error.message)
    return wait_for("the Open dialog", lambda: window("Open"))


def check_roles(frame):
    if frame.getRoleName() != "frame":
        fault("the main window's role is %r, not 'frame'" % frame.getRoleName())


def cancelled_open(frame):
    choose_open(frame)
    keys("Escape")
    wait_for("the end of the Open dialog", lambda: None if window("Open") else True)
    pump(0.5)
    for node in walk(frame):
        if shown(node) and "Open Error" in (node.name, text_of(node)):
            fault("after a cancelled Open, AT finds a visible %r (%s) that no one sees"
                  % ("Open Error", node.getRoleName()))


def text_of(node):
    try:
        text = node.queryText()
    except NotImplementedError:
        return ""
    return text.getText(0, -1)


def open_document(frame):
    choose_open(frame)
    type_text(DOCUMENT)
    keys("Return")
    if window("Open") is not None:
        pump(1)
        if window("Open") is not None:
            keys("Return")  # the completion list may take the first Enter
    wait_for("the end of the Open dialog", lambda: None if window("Open") else True)
    pump(0.5)
    shot("opened")


def read_lines(document):
    """The first three lines, line by line from the start, as a screen reader reads them."""
    with open(DOCUMENT, "rb") as f:
        expected = [line.decode("ascii") for line in f.read().replace(b"\r\n", b"\n")
                    .split(b"\n")[:3]]
    text = document.queryText()
    offset = 0
    for number, want in enumerate(expected, 1):
        got, start, end = text.getTextAtOffset(offset, pyatspi.TEXT_BOUNDARY_LINE_START)
        print("line %d: %r at %d-%d" % (number, got, start, end), flush=True)
        if got != want + "\n" or start != offset or end != offset + len(want) + 1:
            fault("line %d reads %r at %d-%d, not %r at %d-%d"
                  % (number, got, start, end, want + "\n", offset, offset + len(want) + 1))
        offset += len(want) + 1
    whole = text.getText(0, -1)
    if "\u2028" in whole or "\u2029" in whole:
        fault("the document's text holds Unicode line or paragraph separators")
    return whole


def listen_to_document():
    """What the document says of its changes: of its text, and of its caret, which shows that
    the listener hears the document at all."""
    heard = {"text": [], "caret": 0}

    def changed(event):
        if event.source is None or event.source.getRoleName() != "text":
            return
        if event.type.startswith("object:text-changed"):
            heard["text"].append("%s %d %r" % (event.type, event.detail1, event.any_data))
        else:
            heard["caret"] += 1

    pyatspi.Registry.registerEventListener(
        changed, "object:text-changed", "object:text-caret-moved")
    return heard


def search(frame, document, whole):
    press(menu_item(frame, "Find"))
    dialog = wait_for("the find dialog", lambda: window("Search..."))
    if dialog.getRoleName() != "dialog":
        fault("the find dialog's role is %r, not 'dialog'" % dialog.getRoleName())
    shot("find")
    box = find(dialog, "text", "Word to search")
    if box is None:
        raise SystemExit("FAIL: the find dialog has no word box")
    box.queryComponent().grabFocus()
    pump(0.3)
    type_text(WORD)
    heard = listen_to_document()
    press(find(dialog, "push button", "Search"))
    wait_for("the end of the find dialog", lambda: None if window("Search...") else True)
    wait_for("the caret's move to the last match", lambda: heard["caret"] or None, 10)
    pump(1)
    for event in heard["text"]:
        fault("the search was announced as a change of text: " + event)
    read_marks(document, whole)


def attributes(text, offset):
    attrs, start, end = text.getAttributes(offset)
    pairs = [item.split(":", 1) for item in attrs.split(";") if ":" in item]
    return {key.strip(): value.strip() for key, value in pairs}, start, end


def read_marks(document, whole):
    text = document.queryText()
    matches = [i for i in range(len(whole)) if whole.startswith(WORD, i)]
    if not matches:
        fault("the document has no %r to search for" % WORD)
    for at in matches:
        attrs, start, end = attributes(text, at)
        print("match at %d: %r over %d-%d" % (at, attrs, start, end), flush=True)
        if attrs.get("fg-color") != "255,0,0" or attrs.get("weight") not in ("700", "bold"):
            fault("the match at %d is not red and bold: %r" % (at, attrs))
        if start > at or end < at + len(WORD):
            fault("the match at %d lies outside its run %d-%d" % (at, start, end))
    plain, _, _ = attributes(text, 0)
    if 0 not in matches and plain.get("fg-color") == "255,0,0":
        fault("text that is no match is red too: %r" % plain)


def about_links(frame):
    press(menu_item(frame, "About Tessel"))
    about = wait_for("the About box", lambda: window("About Glimmer"))
    if about.getRoleName() != "dialog":
        fault("the About box's role is %r, not 'dialog'" % about.getRoleName())
    pump(0.5)
    shot("about")
    links = [node for node in walk(about) if node.getRoleName() == "link"]
    names = sorted(node.name for node in links)
    if names != ["http://www.example.com/", "someone@example.com"]:
        fault("the About box's links are %r" % names)
    for link in links:
        actions = link.queryAction()
        offered = [actions.getName(i).lower() for i in range(actions.nActions)]
        print("link %r: actions %r" % (link.name, offered), flush=True)
        if "press" not in offered:
            fault("the link %r offers no press action" % link.name)


def main():
    frame = wait_for("the main window", lambda: window("Glimmer v1.0"))
    check_roles(frame)
    cancelled_open(frame)
    open_document(frame)
    document = find(frame, "text", "Document")
    if document is None:
        raise SystemExit("FAIL: the main window has no document")
    whole = read_lines(document)
    search(frame, document, whole)
    about_links(frame)
    if faults:
        print("%d faults" % len(faults))
        return 1
    print("no faults")
    return 0


sys.exit(main())
