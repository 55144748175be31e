# SPDX-FileCopyrightText: 2026 The Cantorel developers
#
# SPDX-License-Identifier: MIT

"""Drives a running Cantorel through AT-SPI, as a screen reader or voice control would.

usage: atspi.py PID

Checks the names and roles of the accessible tree, passes the splash by its press action,
types the playlist's name through the editable-text interface, picks the first and the last
file by their items' press action and presses "Save playlist"; then waits for the message
box and presses its OK. Every action call must return within a second, the one that saves
(and so shows the modal box) included. Leaves the program running with its main window.
"""
import sys
import time

import pyatspi

pid = int(sys.argv[1])
CALL_BOUND = 1.0  # seconds; a hang detector, far above what a call takes


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, find, seconds=20):
    deadline = time.monotonic() + seconds
    while True:
        found = find()
        if found is not None:
            return found
        if time.monotonic() > deadline:
            fail(what + " did not appear")
        time.sleep(0.1)


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def window(app, name):
    for child in app:
        if child is not None and child.name == name:
            return child
    return None


def named(parent, name):
    for child in parent:
        if child is not None and child.name == name:
            return child
    return None


def descendant(parent, role, depth=4):
    """The first descendant with this role, depth first."""
    for child in parent:
        if child is None:
            continue
        if child.getRoleName() == role:
            return child
        if depth > 1:
            found = descendant(child, role, depth - 1)
            if found is not None:
                return found
    return None


def press(accessible, what):
    """Runs the press action and returns how long the call took."""
    action = accessible.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Press" not in names:
        fail(what + " offers no press action, only " + repr(names))
    started = time.monotonic()
    try:
        done = action.doAction(names.index("Press"))
    except Exception as error:  # a call that timed out or failed on the bus
        fail("pressing " + what + " failed: " + str(error))
    took = time.monotonic() - started
    if not done:
        fail("pressing " + what + " was refused")
    if took > CALL_BOUND:
        fail("pressing %s took %.1f s: the call waited for what it started" % (what, took))
    print("pressed %s (the call took %.4f s)" % (what, took))


app = wait_for("the program on the accessibility bus", application)
if app.name != "Cantorel":
    fail("the application is named " + repr(app.name))

# The splash: a named frame that says what to do, the one window shown.
splash = wait_for("the splash", lambda: window(app, "Cantorel"))
if splash.getRoleName() != "frame":
    fail("the splash is a " + splash.getRoleName())
if "press" not in splash.description:
    fail("the splash's description does not say to press it: " + repr(splash.description))
press(splash, "the splash")

main = wait_for("the main window", lambda: window(app, "Playlist maker"))
wait_for("the splash gone", lambda: True if window(app, "Cantorel") is None else None)

# The controls a screen reader finds, by name and role.
expected = [
    ("Playlist maker", None, "frame"),
    ("Media files", main, "list"),
    ("Playlist", main, "text"),
    ("Playlist file name", main, "text"),
    ("M3U format", main, "check box"),
    ("Save playlist", main, "push button"),
    ("Reset playlist", main, "push button"),
    ("Exit", main, "push button"),
]
for name, parent, role in expected:
    found = main if parent is None else named(parent, name)
    if found is None:
        fail("no control named " + repr(name))
    if found.getRoleName() != role:
        fail("%r is a %s, not a %s" % (name, found.getRoleName(), role))
    if parent is not None and not found.description:
        fail("%r has no description" % name)

files = named(main, "Media files")
items = [files[i] for i in range(files.childCount)]
names = [item.name for item in items]
if names != ["01 Intro.mp3", "02 Song.WAV", "10 Finale.wma"]:
    fail("the list's items are " + repr(names))
for item in items:
    if item.getRoleName() != "list item":
        fail("%r is a %s" % (item.name, item.getRoleName()))

named(main, "Playlist file name").queryEditableText().setTextContents("party.m3u")
press(items[0], "01 Intro.mp3")
press(items[2], "10 Finale.wma")
playlist = named(main, "Playlist").queryText()
text = playlist.getText(0, -1)
if text.split("\n") != ["#EXTM3U", "01 Intro.mp3", "10 Finale.wma"]:
    fail("after two picks the playlist reads " + repr(text))

# Saving shows the modal box; the press has returned before that.
press(named(main, "Save playlist"), "Save playlist")
box = wait_for("the message box", lambda: window(app, "Cantorel"))
ok = wait_for("the box's OK button", lambda: descendant(box, "push button"))
press(ok, "the box's OK")
wait_for("the box gone", lambda: True if window(app, "Cantorel") is None else None)
print("PASS: the accessible run")
