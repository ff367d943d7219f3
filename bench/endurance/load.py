"""The load of a run, each on a thread of its own until `stop` is set: random input
to both windows through the X server (xdotool), the outside writer replacing the
preferences file, and a watcher reading the file to catch it torn."""
import collections
import random
import threading
import time

import desktop
import preferences

# PrismkeyFree's more-apps button, in screen points (its frame is 130, 344, 200 x 100).
MORE_APPS = (230, 394)
# keyboard-host's text field and keyboard, in screen points.
KEYBOARD_TOP = 264
# Keys never sent: they quit.
PRISMKEY_FREE_KEYS = ["Tab", "shift+Tab", "space", "Return", "Escape", "Left", "Right", "Up",
                      "Down", "ctrl+c"]
LETTERS = "abcdefghijklmnopqrstuvwxyz"
OTHER_TYPED_KEYS = ["space", "Return", "period", "comma", "minus", "1", "2", "3", "0",
                    "shift+a", "shift+m", "apostrophe", "question"]


class InputDriver(threading.Thread):
    """About `rate` actions a second, spread over both windows: clicks, drags, keys
    to the window that has the focus, focus switches and resizes; and every
    `link_every` seconds a click on PrismkeyFree's more-apps link."""

    def __init__(self, programs, rate, link_every, seed, stop, resizes=True, warm_sizes=0):
        super().__init__(name="input", daemon=True)
        self.resizes = resizes
        self.warm_sizes = warm_sizes if resizes else 0
        self.programs = programs
        self.rate = rate
        self.link_every = link_every
        self.random = random.Random(seed)
        self.stop = stop
        self.done = collections.Counter()
        self.failed = collections.Counter()
        self.focused = programs[0]
        # Cleared while the windows are measured: the driver waits, between actions.
        self.running = threading.Event()
        self.running.set()
        self.idle = threading.Event()

    def pause(self):
        """Stops the input between two actions; returns once it has stopped."""
        self.running.clear()
        self.idle.wait(30)

    def resume(self):
        self.idle.clear()
        self.running.set()

    def act(self, kind, *arguments):
        if desktop.xdotool(*arguments):
            self.done[kind] += 1
        else:
            self.failed[kind] += 1

    def point(self, program, top=0.0):
        x = self.random.uniform(2, 318)
        y = self.random.uniform(max(top, 22), 478)
        return program.pixel(x, y)

    def click(self, program):
        x, y = self.point(program)
        self.act("click", "mousemove", "--window", program.window, str(x), str(y), "click", "1")
        self.focused = program

    def drag(self, program):
        (x1, y1), (x2, y2) = self.point(program), self.point(program)
        steps = ["mousemove", "--window", program.window, str(x1), str(y1), "mousedown", "1"]
        for i in range(1, 9):
            steps += ["sleep", "0.01", "mousemove", "--window", program.window,
                      str(x1 + (x2 - x1) * i // 8), str(y1 + (y2 - y1) * i // 8)]
        self.act("drag", *steps, "mouseup", "1")
        self.focused = program

    def key(self):
        program = self.focused
        if program.name == "PrismkeyFree":
            key = self.random.choice(PRISMKEY_FREE_KEYS)
        else:
            draw = self.random.random()
            key = (self.random.choice(LETTERS) if draw < 0.7 else "BackSpace" if draw < 0.9
                   else self.random.choice(OTHER_TYPED_KEYS))
        self.act("key", "key", key)

    def switch_focus(self):
        program = self.random.choice(self.programs)
        self.act("focus", "windowactivate", "--sync", program.window)
        self.focused = program

    def resize(self, program):
        width = self.random.randint(200, 700)
        height = self.random.randint(300, 1000)
        self.act("resize", "windowsize", program.window, str(width), str(height))
        time.sleep(0.05)
        program.refresh_size()

    def open_link(self):
        free = next(p for p in self.programs if p.name == "PrismkeyFree")
        x, y = free.pixel(*MORE_APPS)
        self.act("link click", "mousemove", "--window", free.window, str(x), str(y), "click", "1")
        self.focused = free

    def warm(self):
        """Each window through `warm_sizes` sizes first: what a program keeps for each
        scale it draws at (fonts and glyphs, which Cairo and Pango keep per scale, up to
        their own limits) is then there at the baseline, and what grows after it grows
        from use."""
        for _ in range(self.warm_sizes):
            for program in self.programs:
                if self.stop.is_set():
                    return
                self.resize(program)

    def run(self):
        self.warm()
        kinds = ["key"] * 45 + ["click"] * 30 + ["drag"] * 10 + ["focus"] * 10
        kinds += ["resize"] * 2 if self.resizes else []
        next_link = time.monotonic() + self.link_every
        interval = 1.0 / self.rate
        next_action = time.monotonic()
        while not self.stop.is_set():
            if not self.running.is_set():
                self.idle.set()
                self.running.wait()
                next_action = next_link = time.monotonic()
            now = time.monotonic()
            if self.link_every > 0 and now >= next_link:
                self.open_link()
                next_link += self.link_every
            kind = self.random.choice(kinds)
            program = self.random.choice(self.programs)
            if kind == "key":
                self.key()
            elif kind == "click":
                self.click(program)
            elif kind == "drag":
                self.drag(program)
            elif kind == "focus":
                self.switch_focus()
            else:
                self.resize(program)
            next_action += interval
            self.stop.wait(max(0.0, next_action - time.monotonic()))
            next_action = max(next_action, time.monotonic() - 1)  # no burst to catch up


class OutsideWriter(threading.Thread):
    """Replaces the preferences file under the writers' lock every 1 to 3 s: a valid
    content seven times in ten, a damaged one otherwise."""

    def __init__(self, path, seed, stop):
        super().__init__(name="writer", daemon=True)
        self.path = path
        self.random = random.Random(seed)
        self.stop = stop
        self.valid = 0
        self.damaged = 0
        self.failures = []
        self.last = None

    def run(self):
        while not self.stop.wait(self.random.uniform(1, 3)):
            damaged = self.random.random() < 0.3
            name, content, _, _ = self.random.choice(
                preferences.DAMAGED if damaged else preferences.VALID)
            try:
                preferences.write_under_lock(self.path, content)
            except OSError as error:
                self.failures.append("%s: %s" % (name, error))
                continue
            self.last = name
            if damaged:
                self.damaged += 1
            else:
                self.valid += 1


class TornWatcher(threading.Thread):
    """Reads the file every 50 ms: each read must be one writer's whole content."""

    def __init__(self, path, stop):
        super().__init__(name="torn-watcher", daemon=True)
        self.path = path
        self.stop = stop
        self.reads = 0
        self.torn = 0
        self.examples = []  # the first few torn reads

    def run(self):
        while not self.stop.wait(0.05):
            try:
                with open(self.path, "rb") as file:
                    content = file.read()
            except OSError:
                continue
            self.reads += 1
            if not preferences.whole(content):
                self.torn += 1
                if len(self.examples) < 5:
                    self.examples.append(content)
