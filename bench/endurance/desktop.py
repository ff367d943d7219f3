"""The private desktop of a run, inside xvfb-run (an X server with its own authority
file) and dbus-run-session (a session bus that ends with the run): the accessibility
bus with a screen reader announced, openbox managing the windows, a private handler
for links, and the programs in their windows."""
import os
import signal
import subprocess
import time

XDOTOOL_TIMEOUT = 10


def run(command, timeout=XDOTOOL_TIMEOUT, check=False):
    return subprocess.run(command, capture_output=True, text=True, timeout=timeout, check=check)


def xdotool(*arguments):
    """One xdotool command; False when it failed or took past its deadline."""
    try:
        return run(["xdotool", *arguments]).returncode == 0
    except subprocess.TimeoutExpired:
        return False


def stop(process, deadline=5.0):
    """SIGTERM, then SIGKILL after `deadline` seconds; reaps the process. False when
    it could not be reaped even so (a process held by a tracer)."""
    if process is None or process.poll() is not None:
        return True
    process.send_signal(signal.SIGTERM)
    try:
        process.wait(deadline)
    except subprocess.TimeoutExpired:
        process.kill()
        try:
            process.wait(deadline)
        except subprocess.TimeoutExpired:
            return False
    return True


def _bus_has_owner(name):
    found = run(["dbus-send", "--session", "--print-reply=literal", "--dest=org.freedesktop.DBus",
                 "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                 "string:" + name])
    return "true" in found.stdout


def start_accessibility_bus():
    """The accessibility bus on the session bus, its status saying that a screen
    reader runs (as tests/a11y/private-bus does)."""
    launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    end = time.monotonic() + 10
    while not _bus_has_owner("org.a11y.Bus"):
        if time.monotonic() > end:
            stop(launcher)
            raise RuntimeError("the accessibility bus did not start within 10 s")
        time.sleep(0.05)
    for name in ("IsEnabled", "ScreenReaderEnabled"):
        run(["dbus-send", "--session", "--type=method_call", "--dest=org.a11y.Bus",
             "/org/a11y/bus", "org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status",
             "string:" + name, "variant:boolean:true"], check=True)
    return launcher


def start_window_manager():
    manager = subprocess.Popen(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    end = time.monotonic() + 10
    while "window id" not in run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"]).stdout:
        if time.monotonic() > end:
            stop(manager)
            raise RuntimeError("openbox did not take the display within 10 s")
        time.sleep(0.05)
    return manager


def link_handler(folder):
    """XDG_DATA_HOME and XDG_CONFIG_HOME in `folder` that send http: and cydia:
    addresses to a handler appending each to `folder`/links.log (as the link tests
    register theirs). Returns the environment to add and the log's path."""
    data, config = os.path.join(folder, "data"), os.path.join(folder, "config")
    os.makedirs(os.path.join(data, "applications"))
    os.makedirs(config)
    log = os.path.join(folder, "links.log")
    handler = os.path.join(folder, "handler")
    with open(handler, "w") as file:
        file.write("#!/bin/sh\nprintf '%%s\\n' \"$1\" >> '%s'\n" % log)
    os.chmod(handler, 0o755)
    with open(os.path.join(data, "applications", "endurance-browser.desktop"), "w") as file:
        file.write("[Desktop Entry]\nType=Application\nName=Endurance browser\nExec=%s %%u\n"
                   "MimeType=x-scheme-handler/http;x-scheme-handler/cydia;\n" % handler)
    with open(os.path.join(config, "mimeapps.list"), "w") as file:
        file.write("[Default Applications]\nx-scheme-handler/http=endurance-browser.desktop\n"
                   "x-scheme-handler/cydia=endurance-browser.desktop\n")
    return {"XDG_DATA_HOME": data, "XDG_CONFIG_HOME": config, "BROWSER": "false"}, log


def program_environment(extra):
    """The environment of the programs: this desktop's, the generic desktop (no
    portal is running), and `extra` (the link handler, the sanitizers' options)."""
    env = dict(os.environ)
    for name in ("WAYLAND_DISPLAY", "GDK_SCALE", "GDK_DPI_SCALE", "PRISMKEY_WINDOW_POSITION",
                 "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION"):
        env.pop(name, None)
    env.update(extra)
    return env


class Program:
    """One of the programs in a window, its output to a log file."""

    def __init__(self, name, binary, arguments, env, log_path, wrapper=()):
        self.name = name
        self.binary = os.path.realpath(binary)
        self.log_path = log_path
        self.log = open(log_path, "w")
        self.process = subprocess.Popen([*wrapper, binary, *arguments], env=env, stdout=self.log,
                                        stderr=subprocess.STDOUT, start_new_session=True)
        self.pid = self.process.pid if not wrapper else None
        self.window = None
        self.size = (320, 480)

    def find_program(self):
        """Under a wrapper (heaptrack, say), the program is a process of the wrapper's
        session whose executable is the binary."""
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open("/proc/%s/stat" % entry) as stat:
                    session = int(stat.read().rsplit(")", 1)[1].split()[3])
                if (session == self.process.pid and
                        os.path.realpath("/proc/%s/exe" % entry) == self.binary):
                    return int(entry)
            except (OSError, ValueError, IndexError):
                continue
        return None

    def wait_for_window(self, timeout=60):
        end = time.monotonic() + timeout
        while time.monotonic() < end and self.process.poll() is None:
            self.pid = self.pid or self.find_program()
            if self.pid is None:
                time.sleep(0.1)
                continue
            found = run(["xdotool", "search", "--onlyvisible", "--pid", str(self.pid)]).stdout.split()
            if found:
                self.window = found[0]
                self.refresh_size()
                self.start_size = self.size
                return True
            time.sleep(0.1)
        return False

    def refresh_size(self):
        shell = run(["xdotool", "getwindowgeometry", "--shell", self.window]).stdout
        values = dict(line.split("=", 1) for line in shell.split() if "=" in line)
        if "WIDTH" in values and "HEIGHT" in values:
            self.size = (int(values["WIDTH"]), int(values["HEIGHT"]))

    def pixel(self, x, y):
        """A screen point as a pixel of the window: the screen keeps its aspect,
        centred, at the window's own size."""
        width, height = self.size
        scale = min(width / 320, height / 480)
        return (int((width - 320 * scale) / 2 + x * scale),
                int((height - 480 * scale) / 2 + y * scale))

    def restore_size(self):
        """Back to the size the window opened at (its memory is compared at one
        size: a window's pixels cost memory by its area)."""
        xdotool("windowsize", self.window, str(self.start_size[0]), str(self.start_size[1]))

    def alive(self):
        return self.process.poll() is None

    def close_log(self):
        self.log.close()
