"""A private X desktop for the measurements: Xvfb (kept from resetting between
clients, black root so that an unpainted window reads as one colour) with openbox
managing it, and the processes started on it, each waited on with a deadline.
"""
import os
import signal
import subprocess
import tempfile
import time


def cpu_seconds(pid):
    """User plus system CPU of a process so far, from /proc/PID/stat."""
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def memory_kib(pid):
    """The process's resident set now and its peak (VmRSS, VmHWM), in KiB."""
    values = {}
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            key, _, rest = line.partition(":")
            if key in ("VmRSS", "VmHWM"):
                values[key] = int(rest.split()[0])
    return values.get("VmRSS", 0), values.get("VmHWM", 0)


def stop(process, deadline=3.0):
    """SIGTERM, then SIGKILL after `deadline` seconds; reaps the process."""
    if process.poll() is None:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(deadline)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait(deadline)


class Desktop:
    """Xvfb on a display number it picks itself, and openbox on it."""

    def __init__(self, width=1920, height=1200, window_manager=True):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-noreset", "-br", "-nolisten", "tcp",
             "-screen", "0", f"{width}x{height}x24"],
            pass_fds=[write_end], stderr=subprocess.DEVNULL)
        os.close(write_end)
        self.name = ":" + self._read_display_number(read_end)
        self.env = dict(os.environ, DISPLAY=self.name)
        for key in ("WAYLAND_DISPLAY", "GDK_SCALE", "GDK_DPI_SCALE", "PRISMKEY_WINDOW_POSITION"):
            self.env.pop(key, None)
        self.window_manager = None
        if window_manager:
            self.window_manager = subprocess.Popen(
                ["openbox", "--sm-disable"], env=self.env,
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self._wait_for_window_manager()

    def _read_display_number(self, read_end, deadline=10.0):
        text = b""
        end = time.monotonic() + deadline
        os.set_blocking(read_end, False)
        while not text.endswith(b"\n"):
            if time.monotonic() > end or self.xvfb.poll() is not None:
                os.close(read_end)
                stop(self.xvfb)
                raise RuntimeError("Xvfb did not start (is it installed?)")
            try:
                chunk = os.read(read_end, 16)
            except BlockingIOError:
                time.sleep(0.02)
                continue
            text += chunk
        os.close(read_end)
        return text.decode().strip()

    def _wait_for_window_manager(self, deadline=10.0):
        end = time.monotonic() + deadline
        while time.monotonic() < end:
            probe = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                                   env=self.env, capture_output=True, text=True, timeout=5)
            if "window id" in probe.stdout:
                return
            time.sleep(0.05)
        raise RuntimeError("openbox did not take the display within 10 s")

    def start(self, command):
        return subprocess.Popen(command, env=self.env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def run(self, command, timeout=60):
        return subprocess.run(command, env=self.env, capture_output=True, text=True,
                              timeout=timeout, check=True)

    def close(self):
        if self.window_manager is not None:
            stop(self.window_manager)
        stop(self.xvfb)


class DeviceRoot:
    """A temporary device root for PrismkeyFree, prepared by one headless run so that
    the measured starts do not install the plug-ins."""

    def __init__(self, build):
        self._folder = tempfile.TemporaryDirectory(prefix="desktop-figures-")
        self.path = self._folder.name
        subprocess.run([os.path.join(build, "bin", "PrismkeyFree"), "--headless", "--root",
                        self.path, "--events", "-"], input=b"", capture_output=True,
                       timeout=60, check=True)

    def close(self):
        self._folder.cleanup()
