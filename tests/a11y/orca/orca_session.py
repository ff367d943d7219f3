"""A desktop with a screen reader on it, for tests that listen to what Orca says.

Runs inside private-bus (an X server, a session bus, the accessibility bus with a
screen reader announced). On top it starts a window manager (openbox), so that
windows take focus as on a desktop, a speech server of our own in place of
speech-dispatcher (speech_recorder.py, which writes each utterance to a file), and
Orca with a home, preferences and data of its own. Keys go to the focused window
through the X test extension, as a keyboard's would. Every wait has a deadline.
"""
import json
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PYTHON = "/usr/bin/python3"

# Orca's own preferences, written before it starts: speech on, through the
# recorder; key echo on; braille and sound off; nothing Orca would ask on a first
# start.
ORCA_GENERAL = {
    "enableSpeech": True,
    "enableBraille": False,
    "enableBrailleMonitor": False,
    "enableSound": False,
    "enableKeyEcho": True,
    "enableAlphabeticKeys": True,
    "enableNumericKeys": True,
    "enablePunctuationKeys": True,
    "enableSpace": True,
    "enableModifierKeys": True,
    "enableFunctionKeys": True,
    "enableActionKeys": True,
    "enableNavigationKeys": False,
    "enableEchoByCharacter": False,
    "enableEchoByWord": False,
    "enableTutorialMessages": False,
    "speechServerFactory": "speechdispatcherfactory",
    "keyboardLayout": 1,  # desktop: KP_Enter is where-am-I
    "firstStart": False,
    "startingProfile": ["Default", "default"],
    "activeProfile": ["Default", "default"],
}


def accessible_applications():
    """The process ids of the applications on the accessibility bus."""
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi
    Atspi.init()
    desktop = Atspi.get_desktop(0)
    pids = set()
    for index in range(desktop.get_child_count()):
        try:
            pids.add(desktop.get_child_at_index(index).get_process_id())
        except Exception:  # an application that left meanwhile
            pass
    return pids


class Deadline:
    def __init__(self, seconds):
        self.end = time.monotonic() + seconds

    def left(self):
        return max(0.0, self.end - time.monotonic())

    def passed(self):
        return time.monotonic() >= self.end


def run(command, timeout=10, env=None, check=False):
    """A short command's standard output; '' when it failed or timed out."""
    try:
        done = subprocess.run(command, capture_output=True, text=True, timeout=timeout, env=env)
    except subprocess.TimeoutExpired:
        if check:
            raise
        return ""
    if check and done.returncode != 0:
        raise RuntimeError("%s failed: %s" % (command[0], done.stderr.strip()))
    return done.stdout if done.returncode == 0 else ""


def stop(process, timeout=5):
    """Ends a process we started: SIGTERM, then SIGKILL after `timeout`."""
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(timeout=timeout)


def normalized(text):
    return re.sub(r"\s+", " ", text).strip().lower()


class Speech:
    """What the recorder heard, in order; read from its file as it grows."""

    def __init__(self, path):
        self.path = path
        self.entries = []
        self.offset = 0

    def read(self):
        try:
            with open(self.path, "rb") as file:
                file.seek(self.offset)
                for line in file:
                    if not line.endswith(b"\n"):
                        break  # half written: read it whole next time
                    self.offset += len(line)
                    self.entries.append(json.loads(line))
        except FileNotFoundError:
            pass
        return self.entries

    def mark(self):
        return len(self.read())

    def since(self, mark):
        """The utterances since `mark`: spoken text, characters and keys."""
        return [e["text"] for e in self.read()[mark:]
                if e["kind"] in ("speak", "char", "key") and e["text"].strip()]


def said_in_order(utterances, phrases):
    """True when each phrase (a regular expression, matched case-insensitively at
    word boundaries) is found in the utterances, each after the one before; one
    utterance may hold several."""
    text = " / ".join(normalized(u) for u in utterances)
    at = 0
    for phrase in phrases:
        found = re.compile(r"(?<!\w)(?:%s)(?!\w)" % phrase, re.IGNORECASE).search(text, at)
        if not found:
            return False
        at = found.end()
    return True


class Transcript:
    """Each step's words, written where the test's environment says
    (ORCA_TRANSCRIPT), for reading what Orca said beside what was expected."""

    def __init__(self, path):
        self.path = path
        if path:
            open(path, "w").close()  # this run's steps only

    def write(self, test, step, expected, utterances, met):
        if not self.path:
            return
        with open(self.path, "a", encoding="utf-8") as file:
            file.write("%s | %s | %s\n  expected: %s\n  said: %s\n" % (
                "met" if met else "NOT MET", test, step, " ... ".join(expected),
                json.dumps(utterances, ensure_ascii=False)))


class OrcaDesktop:
    """openbox, the speech recorder and Orca, started once for a test class."""

    def __init__(self):
        self.folder = tempfile.TemporaryDirectory(prefix="orca-desktop-")
        root = self.folder.name
        self.env = dict(os.environ)
        for name, sub in [("HOME", "home"), ("XDG_CONFIG_HOME", "config"),
                          ("XDG_DATA_HOME", "data"), ("XDG_CACHE_HOME", "cache"),
                          ("XDG_RUNTIME_DIR", "runtime")]:
            path = os.path.join(root, sub)
            os.makedirs(path, mode=0o700)
            self.env[name] = path
        self.socket = os.path.join(root, "runtime", "speech.sock")
        self.speech = Speech(os.path.join(root, "speech.jsonl"))
        self.debug_log = os.path.join(root, "orca-debug.out")
        self.env["SPEECHD_ADDRESS"] = "unix_socket:" + self.socket
        self.env.pop("NO_AT_BRIDGE", None)
        self.env["GTK_THEME"] = "Adwaita"
        self.processes = []
        self.output = {}

    # --- start and stop

    def start(self):
        try:
            self._start_recorder()
            self._start_window_manager()
            self._start_orca()
        except BaseException:
            self.close()
            raise
        return self

    def _spawn(self, name, command):
        log = open(os.path.join(self.folder.name, name + ".log"), "w")
        self.output[name] = log.name
        process = subprocess.Popen(command, env=self.env, stdin=subprocess.DEVNULL,
                                   stdout=log, stderr=subprocess.STDOUT,
                                   start_new_session=True)
        log.close()
        self.processes.append(process)
        return process

    def _start_recorder(self):
        self._spawn("recorder", [PYTHON, os.path.join(HERE, "speech_recorder.py"), self.socket,
                                 self.speech.path, "--parent", str(os.getpid())])
        deadline = Deadline(10)
        while not os.path.exists(self.socket):
            if deadline.passed():
                raise RuntimeError("the speech recorder did not open its socket")
            time.sleep(0.05)

    def _start_window_manager(self):
        self._spawn("openbox", ["openbox", "--sm-disable"])
        deadline = Deadline(15)
        while "window id #" not in run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                                       timeout=deadline.left() + 0.1, env=self.env):
            if deadline.passed():
                raise RuntimeError("openbox did not take the screen")
            time.sleep(0.1)

    def _start_orca(self):
        prefs = os.path.join(self.env["XDG_DATA_HOME"], "orca")
        os.makedirs(prefs)
        profile = {"profile": ["Default", "default"], "pronunciations": {}, "keybindings": {}}
        with open(os.path.join(prefs, "user-settings.conf"), "w") as file:
            json.dump({"general": ORCA_GENERAL, "profiles": {"default": profile},
                       "pronunciations": {}, "keybindings": {}}, file, indent=1)
        self.orca = self._spawn("orca", [PYTHON, os.path.join(HERE, "run_orca.py"),
                                         "--debug-file", self.debug_log, "-u", prefs])
        # Orca says so when it is ready for events.
        if not self.wait_for_words(["screen reader on"], 0, 60):
            raise RuntimeError("Orca did not start: it said %r; its output: %s" % (
                self.speech.since(0), self.tail("orca")))

    def keep_debug_log(self, path):
        """Copies Orca's debug log beside the transcript, for reading what Orca
        received and what it made of it."""
        if path and os.path.exists(self.debug_log):
            shutil.copyfile(self.debug_log, path)

    def tail(self, name, lines=20):
        try:
            with open(self.output[name], encoding="utf-8", errors="replace") as file:
                return "".join(file.readlines()[-lines:])
        except (KeyError, OSError):
            return ""

    def close(self):
        for process in reversed(self.processes):
            stop(process)
        self.processes = []

    # --- words

    def wait_for_words(self, phrases, mark, timeout):
        """Waits until the phrases were said in order since `mark`; the utterances
        when they were, else None at the deadline."""
        deadline = Deadline(timeout)
        while True:
            said = self.speech.since(mark)
            if said_in_order(said, phrases):
                return said
            if deadline.passed():
                return None
            time.sleep(0.05)

    def quiet(self, mark, seconds=0.6, timeout=8):
        """Waits until Orca has said nothing new for `seconds` (at most `timeout`);
        the utterances since `mark`."""
        deadline = Deadline(timeout)
        count, since = len(self.speech.read()), time.monotonic()
        while not deadline.passed():
            time.sleep(0.05)
            now = len(self.speech.read())
            if now != count:
                count, since = now, time.monotonic()
            elif time.monotonic() - since >= seconds:
                break
        return self.speech.since(mark)

    def debug_speech(self):
        """What Orca's debug log says it sent to speech, in order."""
        try:
            with open(self.debug_log, encoding="utf-8", errors="replace") as file:
                log = file.read()
        except OSError:
            return []
        return [m.group(1).strip() for m in re.finditer(r"SPEECH OUTPUT: '(.*?)'", log)
                if m.group(1).strip()]

    def wait_until_on_bus(self, pid, timeout=10):
        """Waits until the process `pid` has an application on the accessibility
        bus, as Orca finds it."""
        deadline = Deadline(timeout)
        while not deadline.passed():
            if pid in accessible_applications():
                return True
            time.sleep(0.1)
        return False

    def debug_lines(self, pattern, last=40):
        try:
            with open(self.debug_log, encoding="utf-8", errors="replace") as file:
                lines = [line.rstrip() for line in file if re.search(pattern, line)]
        except OSError:
            return []
        return lines[-last:]

    # --- windows and keys

    def windows_of(self, pid):
        return run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                   env=self.env).split()

    def active_window(self):
        return run(["xdotool", "getactivewindow"], env=self.env).strip()

    def wait_for_window(self, pid, timeout=20):
        deadline = Deadline(timeout)
        while not deadline.passed():
            windows = self.windows_of(pid)
            if windows:
                return windows[0]
            time.sleep(0.1)
        return None

    def activate(self, window, timeout=10):
        """Asks the window manager to give `window` focus; True once it has it."""
        deadline = Deadline(timeout)
        while not deadline.passed():
            if self.active_window() == window:
                return True
            run(["xdotool", "windowactivate", window], env=self.env, timeout=deadline.left() + 0.1)
            time.sleep(0.2)
        return self.active_window() == window

    def keys(self, *keys, delay_ms=60):
        """Presses keys on the keyboard: they go where the focus is."""
        for key in keys:
            run(["xdotool", "key", "--delay", str(delay_ms), key], env=self.env, check=True)

    def type(self, text, delay_ms=120):
        run(["xdotool", "type", "--delay", str(delay_ms), text], env=self.env, check=True)


class Program:
    """A program under test on the desktop; ends with the test."""

    def __init__(self, desktop, command, name):
        self.desktop = desktop
        self.name = name
        self.log = tempfile.NamedTemporaryFile(prefix=name + "-", suffix=".log", delete=False)
        self.process = subprocess.Popen(command, env=desktop.env, stdin=subprocess.DEVNULL,
                                        stdout=self.log, stderr=subprocess.STDOUT,
                                        start_new_session=True)
        self.window = None

    def wait_for_window(self, timeout=20):
        self.window = self.desktop.wait_for_window(self.process.pid, timeout)
        return self.window

    def output(self):
        with open(self.log.name, encoding="utf-8", errors="replace") as file:
            return file.read()

    def close(self):
        if self.process.poll() is None:
            # The group: a program's helpers go with it.
            try:
                os.killpg(self.process.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait(timeout=5)
        if not self.log.closed:
            self.log.close()
            os.unlink(self.log.name)
