"""An X client that watches other clients' windows, through Xlib, XRes and Damage
(ctypes: the benchmark needs no module beyond Python's own).

What it can tell: which top-level windows a process (by PID) creates, when each is
mapped and unmapped, whether a window's pixels are all one colour, and how many
times a window is drawn to (Damage notifications, grouped into frames).
"""
import ctypes
import ctypes.util
import select
import struct
import time
import zlib

CREATE_NOTIFY, DESTROY_NOTIFY, UNMAP_NOTIFY, MAP_NOTIFY = 16, 17, 18, 19
REPARENT_NOTIFY, CONFIGURE_NOTIFY = 21, 22
STRUCTURE_NOTIFY = 1 << 17
SUBSTRUCTURE_NOTIFY = 1 << 19
IS_VIEWABLE = 2
Z_PIXMAP = 2
DAMAGE_REPORT_RAW_RECTANGLES = 0
XRES_CLIENT_ID_PID_MASK = 1 << 1


class XAnyEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong)]


class XCreateWindowEvent(ctypes.Structure):
    _fields_ = XAnyEvent._fields_[:4] + [
        ("parent", ctypes.c_ulong), ("window", ctypes.c_ulong),
        ("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
        ("height", ctypes.c_int), ("border_width", ctypes.c_int),
        ("override_redirect", ctypes.c_int)]


class XMapEvent(ctypes.Structure):
    """Also the layout of UnmapNotify and DestroyNotify: event, then window."""
    _fields_ = XAnyEvent._fields_[:4] + [
        ("event", ctypes.c_ulong), ("window", ctypes.c_ulong)]


class XDamageNotifyEvent(ctypes.Structure):
    _fields_ = XAnyEvent._fields_[:4] + [
        ("drawable", ctypes.c_ulong), ("damage", ctypes.c_ulong),
        ("level", ctypes.c_int), ("more", ctypes.c_int), ("timestamp", ctypes.c_ulong)]


class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("border_width", ctypes.c_int),
                ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                ("root", ctypes.c_ulong), ("class", ctypes.c_int),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long),
                ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int),
                ("xoffset", ctypes.c_int), ("format", ctypes.c_int),
                ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


class XResClientIdSpec(ctypes.Structure):
    _fields_ = [("client", ctypes.c_ulong), ("mask", ctypes.c_uint)]


class XResClientIdValue(ctypes.Structure):
    _fields_ = [("spec", XResClientIdSpec), ("length", ctypes.c_long),
                ("value", ctypes.c_void_p)]


def _library(name):
    path = ctypes.util.find_library(name)
    if path is None:
        raise RuntimeError(f"lib{name} is not installed")
    return ctypes.CDLL(path)


def _bind(lib, name, restype, *argtypes):
    function = getattr(lib, name)
    function.restype = restype
    function.argtypes = list(argtypes)
    return function


class WindowRecord:
    """One top-level window of a watched process: when it was mapped and unmapped
    (monotonic seconds), in order."""

    def __init__(self, window, size, override_redirect):
        self.window = window
        self.size = size  # as created
        self.override_redirect = bool(override_redirect)
        self.maps = []
        self.unmaps = []
        self.viewable = None  # first seen viewable (by whoever polls)
        self.first_colour = None  # its one colour then, if it had one
        self.destroyed = False


class XWatch:
    """A connection to `display` that watches the top-level windows of the processes
    it is told about, and the damage of the windows it is told to count."""

    def __init__(self, display):
        x = _library("X11")
        self._x = x
        p, u, i, v = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, None
        self._open = _bind(x, "XOpenDisplay", p, ctypes.c_char_p)
        self._close = _bind(x, "XCloseDisplay", i, p)
        self._root = _bind(x, "XDefaultRootWindow", u, p)
        self._select = _bind(x, "XSelectInput", i, p, u, ctypes.c_long)
        self._pending = _bind(x, "XPending", i, p)
        self._next = _bind(x, "XNextEvent", i, p, p)
        self._flush = _bind(x, "XFlush", i, p)
        self._sync = _bind(x, "XSync", i, p, i)
        self._fd = _bind(x, "XConnectionNumber", i, p)
        self._attributes = _bind(x, "XGetWindowAttributes", i, p, u,
                                 ctypes.POINTER(XWindowAttributes))
        self._get_image = _bind(x, "XGetImage", ctypes.POINTER(XImage), p, u, i, i,
                                ctypes.c_uint, ctypes.c_uint, u, i)
        self._destroy_image = _bind(x, "XDestroyImage", i, ctypes.POINTER(XImage))
        self._translate = _bind(x, "XTranslateCoordinates", i, p, u, u, i, i,
                                ctypes.POINTER(i), ctypes.POINTER(i), ctypes.POINTER(u))
        self._set_error_handler = _bind(x, "XSetErrorHandler", p, p)
        # A window can go while it is looked at: its errors are expected, not fatal.
        self._ignore_errors = ctypes.CFUNCTYPE(i, p, p)(lambda d, e: 0)
        self._set_error_handler(ctypes.cast(self._ignore_errors, p))
        res, damage = _library("XRes"), _library("Xdamage")
        self._client_ids = _bind(res, "XResQueryClientIds", i, p, ctypes.c_long,
                                 ctypes.POINTER(XResClientIdSpec),
                                 ctypes.POINTER(ctypes.c_long),
                                 ctypes.POINTER(ctypes.POINTER(XResClientIdValue)))
        self._client_pid = _bind(res, "XResGetClientPid", i, ctypes.POINTER(XResClientIdValue))
        self._client_ids_destroy = _bind(res, "XResClientIdsDestroy", v, ctypes.c_long,
                                         ctypes.POINTER(XResClientIdValue))
        self._damage_query = _bind(damage, "XDamageQueryExtension", i, p,
                                   ctypes.POINTER(i), ctypes.POINTER(i))
        self._damage_create = _bind(damage, "XDamageCreate", u, p, u, i)
        self._damage_destroy = _bind(damage, "XDamageDestroy", v, p, u)
        self.display = self._open(display.encode())
        if not self.display:
            raise RuntimeError(f"cannot open the X display {display}")
        event_base, error_base = i(), i()
        if not self._damage_query(self.display, ctypes.byref(event_base),
                                  ctypes.byref(error_base)):
            raise RuntimeError("the X server has no Damage extension")
        self._damage_event = event_base.value  # XDamageNotify is the first event
        self.root = self._root(self.display)
        self._select(self.display, self.root, SUBSTRUCTURE_NOTIFY)
        self._sync(self.display, 0)
        self._event = ctypes.create_string_buffer(192)
        self.windows = {}   # window -> WindowRecord, of the watched process
        self._pid = None
        self._damages = {}  # damage -> list of (server ms, more)

    def close(self):
        self._close(self.display)

    # ---- processes and their windows ----------------------------------------------

    def watch_process(self, pid):
        """From now on, record the top-level windows that `pid` creates (events
        already queued count too: the process may have been quick)."""
        self._pid = pid
        self.windows = {}

    def pid_of(self, window):
        spec = XResClientIdSpec(window, XRES_CLIENT_ID_PID_MASK)
        count = ctypes.c_long()
        values = ctypes.POINTER(XResClientIdValue)()
        if not self._client_ids(self.display, 1, ctypes.byref(spec), ctypes.byref(count),
                                ctypes.byref(values)):
            pid = -1
            for k in range(count.value):
                pid = max(pid, self._client_pid(ctypes.byref(values[k])))
            self._client_ids_destroy(count, values)
            return pid
        return -1

    def attributes(self, window):
        attributes = XWindowAttributes()
        if not self._attributes(self.display, window, ctypes.byref(attributes)):
            return None
        return attributes

    def root_origin(self, window):
        """The window's top-left in root coordinates."""
        x, y, child = ctypes.c_int(), ctypes.c_int(), ctypes.c_ulong()
        self._translate(self.display, window, self.root, 0, 0, ctypes.byref(x),
                        ctypes.byref(y), ctypes.byref(child))
        return x.value, y.value

    def _created(self, created, now):
        window = created.window
        if self._pid is None or self.pid_of(window) != self._pid:
            return
        record = WindowRecord(window, (created.width, created.height),
                              created.override_redirect)
        self.windows[window] = record
        self._select(self.display, window, STRUCTURE_NOTIFY)
        self._sync(self.display, 0)
        # Mapped before the selection took hold: seen now, timed now.
        attributes = self.attributes(window)
        if attributes is not None and attributes.map_state != 0:
            record.maps.append(now)

    def _handle(self, now):
        kind = XAnyEvent.from_buffer(self._event).type
        if kind == CREATE_NOTIFY:
            created = XCreateWindowEvent.from_buffer(self._event)
            if created.parent == self.root:
                self._created(created, now)
        elif kind in (MAP_NOTIFY, UNMAP_NOTIFY, DESTROY_NOTIFY):
            event = XMapEvent.from_buffer(self._event)
            record = self.windows.get(event.window)
            if record is not None and event.event == event.window:
                {MAP_NOTIFY: record.maps, UNMAP_NOTIFY: record.unmaps}.get(
                    kind, []).append(now)
                record.destroyed |= kind == DESTROY_NOTIFY
        elif kind == self._damage_event:
            damage = XDamageNotifyEvent.from_buffer(self._event)
            if damage.damage in self._damages:
                self._damages[damage.damage].append((damage.timestamp, damage.more))

    def drain(self):
        """Handles every event already received."""
        while self._pending(self.display):
            self._next(self.display, self._event)
            self._handle(time.monotonic())

    def wait(self, seconds):
        """Handles events as they come for up to `seconds`; returns at the first
        batch (or when the time is up)."""
        self._flush(self.display)
        if not self._pending(self.display):
            select.select([self._fd(self.display)], [], [], max(seconds, 0))
        self.drain()

    # ---- pixels -------------------------------------------------------------------

    def one_colour(self, window, width, height):
        """The window's one colour on screen as "#RRGGBB" when every pixel is the
        same (the colour planes only), else None; raises LookupError when the pixels
        cannot be read (the window went, or is not viewable)."""
        image = self._get_image(self.display, window, 0, 0, width, height, 0x00FFFFFF,
                                Z_PIXMAP)
        if not image:
            raise LookupError(f"cannot read window {window:#x}")
        try:
            img = image.contents
            if img.bits_per_pixel != 32:
                raise RuntimeError(f"{img.bits_per_pixel} bits a pixel: expected 32")
            row = width * 4
            data = ctypes.string_at(img.data, img.bytes_per_line * img.height)
            first = data[:4] * width
            if all(data[y * img.bytes_per_line:y * img.bytes_per_line + row] == first
                   for y in range(img.height)):
                return "#" + data[:3][::-1].hex().upper()  # B, G, R in memory
            return None
        finally:
            self._destroy_image(image)

    def write_png(self, window, width, height, path):
        """The window's pixels on screen as an RGB PNG (to see what was measured)."""
        image = self._get_image(self.display, window, 0, 0, width, height, 0x00FFFFFF,
                                Z_PIXMAP)
        if not image:
            raise RuntimeError(f"cannot read window {window:#x}")
        try:
            img = image.contents
            data = ctypes.string_at(img.data, img.bytes_per_line * img.height)
        finally:
            self._destroy_image(image)
        rows = b"".join(
            b"\0" + bytes(c for k in range(width)
                          for c in data[y * img.bytes_per_line + 4 * k:][:3][::-1])
            for y in range(height))

        def chunk(kind, body):
            return (struct.pack(">I", len(body)) + kind + body +
                    struct.pack(">I", zlib.crc32(kind + body)))
        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n" +
                      chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
                      chunk(b"IDAT", zlib.compress(rows, 1)) + chunk(b"IEND", b""))

    # ---- damage -------------------------------------------------------------------

    def count_damage(self, window):
        damage = self._damage_create(self.display, window, DAMAGE_REPORT_RAW_RECTANGLES)
        self._sync(self.display, 0)
        self._damages[damage] = []
        return damage

    def damage_frames(self, damage, gap_ms=2):
        """The drawing to the window, as the server times (ms) at which frames began:
        damage reports within `gap_ms` of the one before belong to one frame."""
        times = [t for t, _ in self._damages.get(damage, [])]
        return [t for k, t in enumerate(times) if k == 0 or t - times[k - 1] >= gap_ms]

    def stop_damage(self, damage):
        self._damage_destroy(self.display, damage)
        self._sync(self.display, 0)
        self._damages.pop(damage, None)
