"""The preferences file as an outside writer sees it: the contents it puts there
(valid and damaged, each with what keyboard-host must then answer), the writers' lock
it takes, and the judgement of one read of the file (whole, or torn)."""
import fcntl
import os
import plistlib
import secrets

RELATIVE_PATH = "var/mobile/Library/Preferences/io.prismkey.tint.plist"
# What the programs' readers read at most; a larger file reads as unreadable.
READ_LIMIT = 64 * 1024


def _xml(dictionary):
    return plistlib.dumps(dictionary, fmt=plistlib.FMT_XML)


def _binary(dictionary):
    return plistlib.dumps(dictionary, fmt=plistlib.FMT_BINARY)


BLUEISH = ["UIDeviceRGBColorSpace", "0.2", "0.4", "0.6", "1"]
ORANGE = ["UIDeviceRGBColorSpace", "1", "0.5", "0", "1"]
WHITE = ["UIDeviceWhiteColorSpace", "1", "1"]


def _catalogue():
    """(name, bytes, open, background) for each content the writer puts in place:
    `open` and `background` are what `keyboard-host --query` must then answer."""
    valid = [
        ("on, blueish", _xml({"open": "on", "saveColor": BLUEISH}), True, [0.2, 0.4, 0.6, 1]),
        ("on, orange, binary", _binary({"open": "on", "saveColor": ORANGE}), True, [1, 0.5, 0, 1]),
        ("off, blueish", _xml({"open": "off", "saveColor": BLUEISH}), False, None),
        ("on, white (three elements)", _xml({"open": "on", "saveColor": WHITE}), True, None),
        ("on, no colour, other keys",
         _xml({"open": "on", "other": {"kept": [1, 2.5, True]}}), True, None),
        ("off, nothing else", _xml({"open": "off"}), False, None),
    ]
    whole = _xml({"open": "on", "saveColor": BLUEISH})
    damaged = [
        ("cut in half", whole[: len(whole) // 2], False, None),
        ("empty", b"", False, None),
        ("not a property list", b"open = on\nsaveColor = blue\n", False, None),
        ("bytes of noise", bytes((i * 151 + 7) % 256 for i in range(600)), False, None),
        ("past the read limit",
         _xml({"open": "on", "saveColor": BLUEISH, "pad": "x" * (READ_LIMIT + 100)}), False, None),
        ("a list at the top", _xml(["open", "on"]), False, None),
        ("nested past any budget",
         b'<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0">' + b"<array>" * 5000 +
         b"</array>" * 5000 + b"</plist>\n", False, None),
        ("open is a boolean", _xml({"open": True, "saveColor": BLUEISH}), False, None),
        ("on, four elements", _xml({"open": "on", "saveColor": BLUEISH[:4]}), True, None),
    ]
    return valid, damaged


VALID, DAMAGED = _catalogue()
KNOWN = {content for _, content, _, _ in VALID + DAMAGED}


def expectation_of(content):
    """What keyboard-host must answer for these bytes: (open, background), or None
    when that cannot be told here (bytes neither written by the outside writer nor a
    plain property list, e.g. a torn file)."""
    for _, known, open_, background in VALID + DAMAGED:
        if content == known:
            return open_, background
    try:
        dictionary = plistlib.loads(content)
    except Exception:  # noqa: BLE001 - any failure: not a list this model judges
        return None
    if len(content) > READ_LIMIT or not isinstance(dictionary, dict):
        return False, None
    open_ = dictionary.get("open") == "on"
    colour = dictionary.get("saveColor")
    background = None
    if open_ and isinstance(colour, list) and len(colour) == 5:
        if all(isinstance(e, str) for e in colour[1:]):
            background = [_leading_float(e) for e in colour[1:]]
    return open_, background


def _leading_float(text):
    """The number the text begins with after white space, 0 for none (strtod's way)."""
    text = text.lstrip()
    best = 0.0
    for end in range(1, len(text) + 1):
        try:
            best = float(text[:end])
        except ValueError:
            continue
    return best


def whole(content):
    """Whether a read of the file saw one writer's whole content: one the outside
    writer put there, or a property list (the app writes nothing else)."""
    if content in KNOWN:
        return True
    try:
        plistlib.loads(content)
        return True
    except Exception:  # noqa: BLE001
        return False


def write_under_lock(path, content):
    """Replaces the file as the programs' writers do, inside one hold of the writers'
    lock (flock on the file's folder): a temporary beside it, named as theirs are so
    that a writer that finds it after a crash removes it, flushed, renamed over the
    file, the folder flushed."""
    folder, name = os.path.split(path)
    folder_fd = os.open(folder, os.O_RDONLY | os.O_DIRECTORY | os.O_CLOEXEC)
    try:
        fcntl.flock(folder_fd, fcntl.LOCK_EX)
        temporary = ".%s.tmp-%s" % (name, secrets.token_hex(4))
        fd = os.open(temporary, os.O_WRONLY | os.O_CREAT | os.O_EXCL | os.O_CLOEXEC, 0o644,
                     dir_fd=folder_fd)
        try:
            os.fchmod(fd, 0o644)
            view = memoryview(content)
            while view:
                view = view[os.write(fd, view):]
            os.fsync(fd)
        finally:
            os.close(fd)
        os.rename(temporary, name, src_dir_fd=folder_fd, dst_dir_fd=folder_fd)
        os.fsync(folder_fd)
    finally:
        os.close(folder_fd)  # and with it the lock
