# SPDX-FileCopyrightText: 2026 The Cantorel developers
#
# SPDX-License-Identifier: MIT

"""Drives a running Cantorel through AT-SPI, as a screen reader or voice control would.

usage: atspi.py PID

Checks the names and roles of the accessible tree, passes the splash by its press action,
types the playlist's name through the editable-text interface, picks the first and the last
file by their items' press action and presses "Save playlist"; then reads the message box's
text and presses its OK. Every action call must return within a second, the one that saves
(and so shows the modal box) included. Leaves the program running with its main window.

On the way it asks each text it meets (the file name box and the playlist box with a corpus
of texts, the message box) for the text at, before and after every offset, from -2 to one
past the end, by every boundary kind, as a screen reader moving by character, word,
sentence and line does: each call must answer within a second, with a piece of the text;
the text's attributes must hold for the whole text. Before that it tabs (xdotool) from the
file list into the name box: a screen reader must hear of the box's focus before anything
else of the box. The list's items carry no description of their own (the list's says what
picking does, once).
"""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

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


BOUNDARIES = [
    ("char", pyatspi.TEXT_BOUNDARY_CHAR),
    ("word start", pyatspi.TEXT_BOUNDARY_WORD_START),
    ("word end", pyatspi.TEXT_BOUNDARY_WORD_END),
    ("sentence start", pyatspi.TEXT_BOUNDARY_SENTENCE_START),
    ("sentence end", pyatspi.TEXT_BOUNDARY_SENTENCE_END),
    ("line start", pyatspi.TEXT_BOUNDARY_LINE_START),
    ("line end", pyatspi.TEXT_BOUNDARY_LINE_END),
]
QUERIES = [("at", "getTextAtOffset"), ("before", "getTextBeforeOffset"),
           ("after", "getTextAfterOffset")]


# Names that start or end with anything but a letter or digit, blanks only, an emoji first,
# combining accents, right to left, CR LF, Latin-1 letters, empty: Qt 6.4's own answers
# looped for good on the word at offset 0 of the first ones.
CORPUS = ["(live) mix.m3u", " party.m3u", "-mix.m3u", "#1 hits.m3u", "'80s.m3u", "_x.m3u",
          "\U0001F3B5 mix.m3u", "...mix!", "   ", "e\u0301te\u0301 mix", "\u05e9\u05d9\u05e8.m3u",
          "a\r\nb", "Se\u00f1or \u00e0 la f\u00eate.m3u", "Caf\u00e9 mix. Side B ", ""]


def ask_every_offset(accessible, what):
    """Asks for the text around every offset of the accessible's text, by every boundary
    kind, and for its attributes; returns the answers at the end of the text, by (query,
    boundary) name.

    Qt 6.4's bridge passes offsets as Qt counts them, in UTF-16 units (a character beyond
    the BMP counts two), so they are measured so here."""
    text = accessible.queryText()
    full = text.getText(0, -1)
    units = full.encode("utf-16-le", "surrogatepass")
    length = len(units) // 2

    def piece(start, end):
        return units[2 * start:2 * end].decode("utf-16-le", "surrogatepass")
    at_end = {}
    for offset in range(length + 1):
        attributes, start, end = text.getAttributeRun(offset, False)
        if (start, end) != (0, length):
            fail("%s: the attributes at offset %d of %r hold %d to %d" % (what, offset, full, start, end))
    for offset in range(-2, length + 2):
        for kind_name, kind in BOUNDARIES:
            for query_name, query in QUERIES:
                asked = "%s: the text %s offset %d of %r by %s" % (what, query_name, offset, full, kind_name)
                started = time.monotonic()
                try:
                    answer, start, end = getattr(text, query)(offset, kind)
                except Exception as error:  # the program hung, or the bus gave up on it
                    fail(asked + " got no answer: " + str(error))
                took = time.monotonic() - started
                if took > CALL_BOUND:
                    fail("%s took %.1f s" % (asked, took))
                if start >= 0 and not (start <= end <= length and answer == piece(start, end)):
                    fail("%s is %r at %d to %d, not a piece of the text" % (asked, answer, start, end))
                if offset == length:
                    at_end[(query_name, kind_name)] = (answer, start, end)
    print("asked %s about %r at %d offsets by %d boundary kinds" % (what, full, length + 4, len(BOUNDARIES)))
    return at_end


def descendants(parent, depth=4):
    for child in parent:
        if child is None:
            continue
        yield child
        if depth > 1:
            yield from descendants(child, depth - 1)


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
    if item.description:
        fail("%r repeats a description after its name: %r" % (item.name, item.description))


def heard_while(keys):
    """The events of focus, caret and selection heard while xdotool presses the keys."""
    heard = []

    def listener(event):
        heard.append((event.type, event.source.name if event.source else None, event.detail1))
    kinds = ["object:state-changed:focused", "object:text-caret-moved", "object:text-selection-changed"]
    for kind in kinds:
        pyatspi.Registry.registerEventListener(listener, kind)
    subprocess.run(["xdotool", "key", "--delay", "100"] + keys, check=True)
    context = GLib.MainContext.default()
    deadline = time.monotonic() + 2
    while time.monotonic() < deadline:
        while context.iteration(False):
            pass
        time.sleep(0.02)
    for kind in kinds:
        pyatspi.Registry.deregisterEventListener(listener, kind)
    return heard


# Tab from the list through the playlist box into the name box: the first a screen reader
# hears of the box is its focus, or it takes the box as focused without a word.
heard = [event for event in heard_while(["Tab", "Tab"]) if event[1] == "Playlist file name"]
if not heard or heard[0][0] != "object:state-changed:focused" or heard[0][2] != 1:
    fail("entering the name box, a screen reader first hears " + repr(heard[:3]))
print("entering the name box, a screen reader first hears", heard[0])

# The file name box with sentences and a blank at its end, empty, and with a name that ends
# in a letter: Qt 6.4's own answer for the sentence at the end of the first and for the word
# at the end of the last never came, and the program hung.
name_box = named(main, "Playlist file name")
for name in CORPUS + ["party.m3u"]:
    name_box.queryEditableText().setTextContents(name)
    if name_box.queryText().getText(0, -1) != name:
        fail("the name box reads %r, not %r" % (name_box.queryText().getText(0, -1), name))
    at_end = ask_every_offset(name_box, "the name box")
    if name and at_end[("at", "char")][0] != "":
        fail("the name box has a character past its end: %r" % (at_end[("at", "char")],))
# A screen reader at the end of the box (Ctrl+Right there) reads the last word, sentence,
# line.
for kind, last in [("word start", ("m3u", 6, 9)), ("word end", ("m3u", 6, 9)),
                   ("sentence start", ("party.m3u", 0, 9)), ("line start", ("party.m3u", 0, 9))]:
    if at_end[("at", kind)] != last:
        fail("the name box's %s at its end is %r, not %r" % (kind, at_end[("at", kind)], last))

press(items[0], "01 Intro.mp3")
press(items[2], "10 Finale.wma")
playlist = named(main, "Playlist").queryText()
text = playlist.getText(0, -1)
if text.split("\n") != ["#EXTM3U", "01 Intro.mp3", "10 Finale.wma"]:
    fail("after two picks the playlist reads " + repr(text))
ask_every_offset(named(main, "Playlist"), "the playlist box")

# Saving shows the modal box; the press has returned before that.
press(named(main, "Save playlist"), "Save playlist")
box = wait_for("the message box", lambda: window(app, "Cantorel"))
ok = wait_for("the box's OK button", lambda: descendant(box, "push button"))
# What a screen reader says of the box: its text, read as any other text.
labels = [found for found in descendants(box) if found.getRoleName() == "label" and found.name]
if [label.name for label in labels] != ["Saved"]:
    fail("the box says " + repr([label.name for label in labels]))
if "Text" in pyatspi.listInterfaces(labels[0]):  # Qt 6.4's labels offer none
    ask_every_offset(labels[0], "the box's text")
press(ok, "the box's OK")
wait_for("the box gone", lambda: True if window(app, "Cantorel") is None else None)

# The playlist box with the corpus, its lines as shown (the last long enough to wrap).
playlist_box = named(main, "Playlist")
for text in CORPUS + ["#EXTM3U\n(live) mix.mp3\n" + "very long name " * 6 + ".mp3"]:
    playlist_box.queryEditableText().setTextContents(text)
    ask_every_offset(playlist_box, "the playlist box")
print("PASS: the accessible run")
