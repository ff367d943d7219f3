#!/usr/bin/python3
"""The accessibility client of an endurance run (the system /usr/bin/python3, for
pyatspi): every `--interval` seconds it walks the trees of both programs as a screen
reader or a test tool does (names, roles, states, descriptions, attributes, a
slider's value, an entry's text and caret, extents), and with probability `--press`
presses a random element that has an action. When the file `--stop` appears it reads
both programs once more and writes what it did to `--result` (JSON)."""
import argparse
import json
import os
import random
import time

import gi

gi.require_version("Atspi", "2.0")
import pyatspi  # noqa: E402
from gi.repository import Atspi, GLib  # noqa: E402

PROGRAMS = ["PrismkeyFree", "keyboard-host"]


def pump(seconds):
    """Lets the bus's messages in while waiting, so none pile up unread."""
    end = time.monotonic() + seconds
    context = GLib.MainContext.default()
    while True:
        while context.iteration(False):
            pass
        left = end - time.monotonic()
        if left <= 0:
            return
        time.sleep(min(0.02, left))


def application(name):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == name:
            return app
    return None


def descendants(accessible):
    for child in accessible:
        if child is None:
            continue
        yield child
        yield from descendants(child)


def read(accessible):
    """What a walk reads of one element; whether it has an action."""
    role = accessible.getRoleName()
    accessible.name, accessible.description, accessible.getState().getStates()
    accessible.getAttributes()
    accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    if role == "slider":
        value = accessible.queryValue()
        value.currentValue, value.minimumValue, value.maximumValue
        Atspi.Value.get_text(accessible)
    elif role == "entry":
        text = accessible.queryText()
        text.getText(0, -1), text.caretOffset, text.characterCount
    try:
        return accessible.queryAction().nActions > 0
    except NotImplementedError:
        return False


class Client:
    def __init__(self, seed):
        self.random = random.Random(seed)
        self.stats = {name: {"walks": 0, "elements": 0, "errors": 0, "longest_walk_s": 0.0,
                             "last_walk": None, "missing": 0} for name in PROGRAMS}
        self.presses = 0
        self.press_errors = 0
        self.last_errors = []

    def walk(self, name):
        stats = self.stats[name]
        app = application(name)
        if app is None:
            stats["missing"] += 1
            return []
        started = time.monotonic()
        actionable = []
        try:
            for accessible in descendants(app):
                stats["elements"] += 1
                if read(accessible):
                    actionable.append(accessible)
        except Exception as error:  # noqa: BLE001 - an element gone mid-walk, a timeout
            stats["errors"] += 1
            self.last_errors = (self.last_errors + ["%s: %s" % (name, error)])[-5:]
            return actionable
        took = time.monotonic() - started
        stats["walks"] += 1
        stats["longest_walk_s"] = max(stats["longest_walk_s"], took)
        stats["last_walk"] = time.time()
        return actionable

    def press(self, actionable, probability):
        if not actionable or self.random.random() >= probability:
            return
        try:
            self.random.choice(actionable).queryAction().doAction(0)
            self.presses += 1
        except Exception as error:  # noqa: BLE001
            self.press_errors += 1
            self.last_errors = (self.last_errors + ["press: %s" % error])[-5:]

    def final_read(self):
        """Each program once more: its frame, and PrismkeyFree's toggle by role."""
        final = {}
        for name in PROGRAMS:
            try:
                app = application(name)
                frame = app[0]
                toggle = next((c.name for c in descendants(frame)
                               if c.getRoleName() == "toggle button"), None)
                final[name] = {"ok": True, "frame": frame.name, "children": frame.childCount,
                               "toggle": toggle}
            except Exception as error:  # noqa: BLE001
                final[name] = {"ok": False, "error": str(error)}
        return final


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--stop", required=True)
    parser.add_argument("--result", required=True)
    parser.add_argument("--interval", type=float, default=0.5)
    parser.add_argument("--press", type=float, default=0.5)
    parser.add_argument("--seed", type=int, default=1)
    options = parser.parse_args()
    client = Client(options.seed)
    while not os.path.exists(options.stop):
        started = time.monotonic()
        actionable = []
        for name in PROGRAMS:
            actionable += client.walk(name)
        client.press(actionable, options.press)
        pump(max(0.0, options.interval - (time.monotonic() - started)))
    result = {"programs": client.stats, "presses": client.presses,
              "press_errors": client.press_errors, "last_errors": client.last_errors,
              "final": client.final_read()}
    with open(options.result, "w") as file:
        json.dump(result, file, indent=1)


if __name__ == "__main__":
    main()
