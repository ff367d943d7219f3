"""The four desktop figures, one function each. Times are monotonic seconds; every
wait has a deadline."""
import math
import os
import select
import statistics
import subprocess
import tempfile
import time

from desktop_session import cpu_seconds, memory_kib, stop
from xwatch import IS_VIEWABLE

# PrismkeyFree's screen is 320 x 480 points, drawn centred at the window's own size;
# its wheel is the 240-point wheel image at (40, 15) in the picker, which starts at
# (0, 64): centre (160, 199), radius 120.
SCREEN_POINTS = (320, 480)
WHEEL_CENTRE, WHEEL_RADIUS = (160, 199), 120
# GTK 3's colour editor (zenity --color-selection, 434 x 456 at scale 1): the
# saturation/value plane is the square from (92, 58) to (392, 357).
GTK_EDITOR_SIZE = (434, 456)
GTK_PLANE_CENTRE, GTK_PLANE_RADIUS = (242, 207), 150


class StartResult:
    """One start: when the window that painted was mapped and first on screen
    (viewable: it and the window manager's frame mapped), when it first showed
    something other than one colour, and the windows mapped and unmapped before."""

    def __init__(self, start, now, record, throwaways, size):
        self.painted = now - start  # exec to first painted window
        self.mapped = (record.maps[0] if record.maps else now) - start
        self.on_screen = (record.viewable or now) - start
        self.first_colour = record.first_colour  # None: painted when first seen
        # Each as (size when created, override-redirect, seconds it stayed mapped).
        self.throwaways = [(r.size, r.override_redirect, r.unmaps[0] - r.maps[0])
                           for r in throwaways]
        self.window = record.window
        self.size = size


def start_to_painted(desktop, watch, command, deadline=20.0):
    """Starts `command` and waits for its first window that is viewable and not all
    one colour. Returns (process, StartResult); the process is left running."""
    start = time.monotonic()
    process = desktop.start(command)
    watch.watch_process(process.pid)
    while time.monotonic() - start < deadline:
        watch.wait(0.004)
        if process.poll() is not None:
            raise RuntimeError(f"{command[0]} ended with status {process.returncode} "
                               "before it showed a window")
        for record in list(watch.windows.values()):
            attributes = watch.attributes(record.window)
            if attributes is None or attributes.map_state != IS_VIEWABLE:
                continue
            try:
                colour = watch.one_colour(record.window, attributes.width, attributes.height)
            except LookupError:
                continue
            if record.viewable is None:
                record.viewable, record.first_colour = time.monotonic(), colour
            if colour is None:
                throwaways = [r for r in watch.windows.values()
                              if r is not record and r.maps and r.unmaps]
                return process, StartResult(start, time.monotonic(), record, throwaways,
                                            (attributes.width, attributes.height))
    stop(process)
    raise RuntimeError(f"{command[0]} showed no painted window within {deadline:.0f} s")


def end(process, watch, settle=0.3):
    stop(process)
    finish = time.monotonic() + settle
    while time.monotonic() < finish:
        watch.wait(finish - time.monotonic())


def screen_transform(size):
    """Pixels a point and the screen's top-left in the window (centred, aspect kept)."""
    scale = min(size[0] / SCREEN_POINTS[0], size[1] / SCREEN_POINTS[1])
    return scale, ((size[0] - SCREEN_POINTS[0] * scale) / 2,
                   (size[1] - SCREEN_POINTS[1] * scale) / 2)


def arc(centre, radius, moves_per_second, seconds):
    """Points swinging along the upper arc of a circle, from 30 to 150 degrees and
    back once a second, `moves_per_second` of them a second. The upper arc, because
    the free version answers each change of the wheel with an alert, whose box covers
    the wheel's middle: there a moving knob changes nothing on screen, so draws
    nothing; above it every move shows."""
    points = []
    for k in range(int(moves_per_second * seconds)):
        angle = math.radians(90 + 60 * math.sin(2 * math.pi * k / moves_per_second))
        points.append((round(centre[0] + radius * math.cos(angle)),
                       round(centre[1] - radius * math.sin(angle))))
    return points


def circle(centre, radius, moves_per_second, seconds):
    """Points round a whole circle, a turn a second: the knob passes under the alert's
    box too, where the compare view's new half still changes with each move."""
    points = []
    for k in range(int(moves_per_second * seconds)):
        angle = 2 * math.pi * k / moves_per_second
        points.append((round(centre[0] + radius * math.cos(angle)),
                       round(centre[1] - radius * math.sin(angle))))
    return points


def drag(desktop, watch, process, window, points, moves_per_second, xvfb_pid):
    """Holds the left button down and moves through `points` (root coordinates) with
    xdotool, counting the window's frames (Damage) and the CPU used meanwhile."""
    delay = f"{1.0 / moves_per_second:.4f}"
    args = ["xdotool", "mousemove", str(points[0][0]), str(points[0][1]), "mousedown", "1"]
    for x, y in points:
        args += ["mousemove", str(x), str(y), "sleep", delay]
    args += ["mouseup", "1"]
    damage = watch.count_damage(window)
    cpu, server_cpu, start = cpu_seconds(process.pid), cpu_seconds(xvfb_pid), time.monotonic()
    mover = desktop.start(args)
    deadline = start + 3 * len(points) / moves_per_second + 10
    while mover.poll() is None and time.monotonic() < deadline:
        watch.wait(0.01)
    took = time.monotonic() - start
    used, server_used = cpu_seconds(process.pid) - cpu, cpu_seconds(xvfb_pid) - server_cpu
    if mover.poll() is None:
        stop(mover)
        raise RuntimeError("xdotool did not finish its drag in time")
    watch.wait(0.05)
    frames = watch.damage_frames(damage)
    watch.stop_damage(damage)
    gaps = [b - a for a, b in zip(frames, frames[1:])]
    return {"seconds": took, "fps": len(frames) / took,
            "median_gap": statistics.median(gaps) / 1000 if gaps else 0,
            "longest_gap": max(gaps, default=0) / 1000, "cpu": used / took,
            "server_cpu": server_used / took, "moves": len(points) / took}


def drag_points(watch, result, kind, moves_per_second, seconds, path="circle"):
    """The drag's path in root coordinates, round PrismkeyFree's wheel or GTK's
    saturation/value plane: a whole circle, or the upper arc (`path`)."""
    x0, y0 = watch.root_origin(result.window)
    if kind == "wheel":
        scale, (ox, oy) = screen_transform(result.size)
        centre = (x0 + ox + WHEEL_CENTRE[0] * scale, y0 + oy + WHEEL_CENTRE[1] * scale)
        radius = 0.8 * WHEEL_RADIUS * scale
    else:
        if result.size != GTK_EDITOR_SIZE:
            raise RuntimeError(f"GTK's editor is {result.size}, not {GTK_EDITOR_SIZE}: "
                               "its plane must be found again")
        centre = (x0 + GTK_PLANE_CENTRE[0], y0 + GTK_PLANE_CENTRE[1])
        radius = 0.8 * GTK_PLANE_RADIUS
    shape = circle if path == "circle" else arc
    return shape(centre, radius, moves_per_second, seconds)


def resize(desktop, watch, window, width, height, deadline=10.0):
    """Asks for a size through the window manager (as a user's resize does) and waits
    until the window has it, or the deadline."""
    desktop.run(["xdotool", "windowsize", str(window), str(width), str(height)])
    end_time = time.monotonic() + deadline
    while time.monotonic() < end_time:
        attributes = watch.attributes(window)
        if attributes is not None and (attributes.width, attributes.height) == (width, height):
            return True
        watch.wait(0.02)
    return False


def settled_memory(process, watch, limit_kib, still=2.0, deadline=60.0):
    """Waits until the resident set has stayed within 1% (or 2 MiB) for `still`
    seconds, as it does once the program has drawn what it had to; returns (RSS,
    peak) in KiB, and whether it settled before the deadline. Stops the process past
    `limit_kib`."""
    samples = []
    start = time.monotonic()
    while time.monotonic() - start < deadline:
        now = time.monotonic()
        rss, peak = memory_kib(process.pid)
        if rss > limit_kib:
            stop(process)
            raise RuntimeError(f"resident set past the {limit_kib // 1024} MiB limit")
        samples = [(t, r) for t, r in samples if now - t <= still] + [(now, rss)]
        values = [r for _, r in samples]
        if now - samples[0][0] >= still * 0.95 and \
                max(values) - min(values) <= max(0.01 * rss, 2048):
            return rss, peak, True
        watch.wait(0.1)
    rss, peak = memory_kib(process.pid)
    return rss, peak, False


def timed_run(command, env, deadline=60.0):
    """Seconds from just before the exec to the process's end, read when the kernel
    says it ended (a pidfd becomes readable): subprocess's wait with a timeout polls
    with growing sleeps, which rounds short runs up by as much as they last."""
    start = time.monotonic()
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    pidfd = os.pidfd_open(process.pid)
    try:
        ended, _, _ = select.select([pidfd], [], [], deadline)
    finally:
        os.close(pidfd)
    took = time.monotonic() - start
    if not ended:
        stop(process)
        raise RuntimeError(f"{command[0]} did not end within {deadline:.0f} s")
    if process.wait() != 0:
        raise RuntimeError(f"{command[0]} ended with status {process.returncode}")
    return took


def headless_start(build, root, rounds):
    """Wall time of a headless start to a written screenshot, against `--version`,
    alternating; lists of seconds."""
    program = os.path.join(build, "bin", "PrismkeyFree")
    env = dict(os.environ)
    for key in ("DISPLAY", "WAYLAND_DISPLAY"):
        env.pop(key, None)
    times = {"screenshot": [], "version": []}
    with tempfile.TemporaryDirectory() as folder:
        shot = os.path.join(folder, "first.png")
        script = os.path.join(folder, "script")
        with open(script, "w") as out:
            out.write(f"screenshot {shot}\n")
        commands = {"screenshot": [program, "--headless", "--root", root, "--events", script],
                    "version": [program, "--version"]}
        for _ in range(rounds):
            for name, command in commands.items():
                times[name].append(timed_run(command, env))
            os.remove(shot)
    return times
