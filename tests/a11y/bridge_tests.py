#!/usr/bin/python3
"""The programs' elements on the desktop's accessibility bus, read and driven through
pyatspi as a screen reader reads them. Runs inside private-bus; PRISMKEY_BUILD_DIR
names the build folder. Usage: bridge_tests.py [unittest arguments, e.g. a class]."""
import os
import plistlib
import subprocess
import sys
import tempfile
import time
import unittest

import pyatspi
from gi.repository import Atspi, GLib

BIN = os.path.join(os.environ.get("PRISMKEY_BUILD_DIR", "build/release"), "bin")
PREFERENCES = "var/mobile/Library/Preferences/io.prismkey.tint.plist"


def pump(seconds):
    """Lets events arrive for a while."""
    end = time.monotonic() + seconds
    context = GLib.MainContext.default()
    while time.monotonic() < end:
        while context.iteration(False):
            pass
        time.sleep(0.01)


def wait_for(predicate, timeout=10):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        result = predicate()
        if result:
            return result
        pump(0.05)
    return predicate()


def states(accessible):
    return {pyatspi.stateToString(s) for s in accessible.getState().getStates()}


def descendants(accessible):
    for child in accessible:
        yield child
        yield from descendants(child)


def element(accessible, name, role=None):
    for child in descendants(accessible):
        if child.name == name and (role is None or child.getRoleName() == role):
            return child
    return None


def focused(frame):
    return [c.name for c in descendants(frame) if "focused" in states(c)]


def click(accessible):
    action = accessible.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    return action.doAction(names.index("click"))


class Events:
    """The bus's events of the given kinds, as they arrive."""

    def __init__(self, *kinds):
        self.kinds = kinds
        self.seen = []

    def __enter__(self):
        for kind in self.kinds:
            pyatspi.Registry.registerEventListener(self.seen.append, kind)
        return self

    def __exit__(self, *exc):
        for kind in self.kinds:
            pyatspi.Registry.deregisterEventListener(self.seen.append, kind)

    def of(self, kind, name=None):
        return [e for e in self.seen if e.type.startswith(kind)
                and (name is None or e.source.name == name)]


class Program:
    """A program in a window with a fresh device root, found on the bus by its name."""

    def __init__(self, name, *arguments):
        self.name = name
        self.root = tempfile.TemporaryDirectory()
        self.process = subprocess.Popen(
            [os.path.join(BIN, name), "--root", self.root.name, *arguments],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        self.app = wait_for(self.find, 20)
        if self.app is None:
            self.close()
            raise AssertionError(name + " did not appear on the accessibility bus")
        self.frame = self.app[0]

    def find(self):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == self.name:
                return app
        return None

    def preferences(self):
        with open(os.path.join(self.root.name, PREFERENCES), "rb") as file:
            return plistlib.load(file)

    def window(self, timeout=20):
        """The program's window on this display, waited for with a deadline."""
        end = time.monotonic() + timeout
        while time.monotonic() < end and self.process.poll() is None:
            found = subprocess.run(["xdotool", "search", "--pid", str(self.process.pid)],
                                   capture_output=True, text=True, timeout=10).stdout.split()
            if found:
                return found[0]
            pump(0.1)
        raise AssertionError("%s showed no window within %d s: %s" % (self.name, timeout, self.seen()))

    def seen(self):
        """What there was instead of the window: the display's windows, the program's end."""
        tree = subprocess.run(["xwininfo", "-root", "-children"], capture_output=True, text=True,
                              timeout=10)
        children = [line.strip() for line in tree.stdout.splitlines() if "children" in line]
        if self.process.poll() is None:
            self.process.terminate()
            state = "still running"
        else:
            state = "exited with status %d" % self.process.returncode
        _, errors = self.process.communicate(timeout=10)
        return "the display %s has %s; the program was %s and said %r" % (
            os.environ.get("DISPLAY"), children[0] if children else "no root window", state, errors)

    def focus(self):
        window = self.window()
        subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True, timeout=10)
        return window

    def keys(self, *keys):
        window = self.focus()
        for key in keys:
            subprocess.run(["xdotool", "key", "--window", window, key], check=True, timeout=10)
            pump(0.2)

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.communicate(timeout=10)
        self.root.cleanup()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class TestSceneTests(unittest.TestCase):
    """The platform's test scene, whose controls name themselves."""

    def setUp(self):
        self.scene = Program("platform-test-scene")
        self.addCleanup(self.scene.close)

    def test_application_holds_one_frame_with_the_elements_in_reading_order(self):
        app, frame = self.scene.app, self.scene.frame
        self.assertEqual(app.toolkitName, "Prismkey")
        self.assertEqual((app.getRoleName(), app.childCount), ("application", 1))
        self.assertEqual((frame.getRoleName(), frame.name), ("frame", "platform-test-scene"))
        # The navigation bar, the scene's controls, then the status bar's clock.
        children = [(c.getRoleName(), c.name) for c in frame]
        self.assertEqual(children[:-1],
                         [("push button", "Move"), ("label", "Test Scene"), ("push button", "Done"),
                          ("push button", "Show Alert"), ("slider", "Level"), ("label", "Ready")])
        self.assertEqual(children[-1][0], "label")
        self.assertRegex(children[-1][1], r"^\d{1,2}:\d\d$")
        self.assertEqual(element(frame, "Level").description, "Drag to set the level")
        self.assertLessEqual({"enabled", "sensitive", "focusable", "showing", "visible"},
                             states(element(frame, "Show Alert")))
        self.assertNotIn("focusable", states(element(frame, "Ready")))
        self.assertEqual([c.getIndexInParent() for c in frame], list(range(len(children))))
        self.assertEqual(frame[0].parent, frame)

    def test_keys_reach_listeners_first_and_a_key_they_consume_is_not_acted_on(self):
        seen = []

        def listener(event):
            seen.append(event.event_string)
            return event.event_string == "Tab"

        kind = (pyatspi.KEY_PRESSED_EVENT,)
        pyatspi.Registry.registerKeystrokeListener(listener, mask=0, kind=kind)
        try:
            self.scene.keys("Tab")
            self.assertTrue(wait_for(lambda: "Tab" in seen))
            pump(0.5)
            self.assertEqual(focused(self.scene.frame), [], "a consumed Tab moves no focus")
        finally:
            pyatspi.Registry.deregisterKeystrokeListener(listener, mask=0, kind=kind)
        self.scene.keys("Tab")
        self.assertTrue(wait_for(lambda: focused(self.scene.frame)))

    def test_the_frame_is_active_only_while_its_window_has_the_focus(self):
        scene = self.scene.frame
        with Events("window:activate", "window:deactivate") as events:
            with Program("keyboard-host") as other:
                # Focused as it joins the bus: said as soon as anyone can hear it.
                self.assertTrue(wait_for(lambda: events.of("window:activate",
                                                           "Prismkey Keyboard Host")))
                self.assertIn("active", states(other.frame))
                self.assertNotIn("active", states(scene))
                self.scene.focus()
                self.assertTrue(wait_for(lambda: events.of("window:deactivate",
                                                           "Prismkey Keyboard Host")))
                self.assertTrue(wait_for(lambda: events.of("window:activate",
                                                           "platform-test-scene")))
                self.assertEqual((states(scene) & {"active"}, states(other.frame) & {"active"}),
                                 ({"active"}, set()))

    def test_extents_are_the_frames_on_the_desktop_at_the_windows_scale(self):
        frame, button = self.scene.frame, element(self.scene.frame, "Show Alert")
        outer = frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        inner = button.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        relative = button.queryComponent().getExtents(pyatspi.WINDOW_COORDS)
        scale = outer.width // 320
        self.assertEqual(outer.height, 480 * scale)
        # The button is at (20, 84) in screen points, 130 x 44.
        self.assertEqual((relative.x, relative.y, relative.width, relative.height),
                         (20 * scale, 84 * scale, 130 * scale, 44 * scale))
        self.assertEqual((inner.x - outer.x, inner.y - outer.y), (relative.x, relative.y))

    def test_click_taps_the_centre_and_the_alert_comes_and_goes_as_a_dialog(self):
        frame = self.scene.frame
        with Events("object:children-changed", "object:property-change:accessible-name") as events:
            self.assertTrue(click(element(frame, "Show Alert")))
            dialog = wait_for(lambda: element(frame, "Hello", "dialog"))
            self.assertIsNotNone(dialog)
            self.assertTrue(wait_for(lambda: events.of("object:children-changed:add")))
            self.assertTrue(wait_for(lambda: events.of("object:property-change:accessible-name",
                                                       "show alert")))
            self.scene.keys("Escape")
            self.assertTrue(wait_for(lambda: element(frame, "Hello") is None))
            self.assertTrue(wait_for(lambda: events.of("object:children-changed:remove")))
        self.assertIsNotNone(element(frame, "alert Cancel", "label"))

    def test_slider_click_changes_its_value_and_says_so(self):
        slider = element(self.scene.frame, "Level")
        with Events("object:property-change:accessible-value") as events:
            click(slider)
            self.assertTrue(wait_for(lambda: events.of("object:property-change:accessible-value")))
        self.assertEqual(slider.getAttributes(), ["value:0.50", "valuetext:0.50"])
        self.assertEqual(slider.description, "0.50", "a value is also the description")

    def test_a_label_takes_no_action(self):
        label = element(self.scene.frame, "Ready")
        self.assertEqual(label.getRoleName(), "label")
        self.assertRaises(NotImplementedError, label.queryAction)

    def test_full_tree_walk_time(self):
        walks = 20
        start = time.perf_counter()
        for _ in range(walks):
            for accessible in descendants(self.scene.app):
                accessible.getRoleName(), accessible.name, accessible.getState()
        print("\ntree walk: %.1f ms (%d elements)" % (
            (time.perf_counter() - start) * 1000 / walks,
            sum(1 for _ in descendants(self.scene.app))), file=sys.stderr)


class PrismkeyFreeTests(unittest.TestCase):
    """The settings app's elements, named as its views name themselves."""

    def setUp(self):
        self.app = Program("PrismkeyFree")
        self.addCleanup(self.app.close)
        self.frame = self.app.frame

    def test_application_and_frame_carry_the_programs_name(self):
        self.assertEqual(self.app.app.name, "PrismkeyFree")
        self.assertEqual((self.frame.getRoleName(), self.frame.name), ("frame", "PrismkeyFree"))

    def test_the_controls_have_their_roles_and_names(self):
        # The toggle is named by the title it shows.
        for name, role in [("TurnOn", "toggle button"), ("Save", "push button"),
                           ("Hue and saturation", "slider"), ("Original color", None),
                           ("New color", None)]:
            with self.subTest(name=name):
                self.assertIsNotNone(element(self.frame, name, role))
        self.assertNotIn("enabled", states(element(self.frame, "Save")))
        self.assertTrue(any(c.getRoleName() == "link" for c in descendants(self.frame)))
        for name in ["Hue and saturation", "Original color", "New color"]:
            self.assertTrue(element(self.frame, name).getAttributes()[0].startswith("value:"))

    def test_toggle_and_save_write_the_preferences_and_save_shows_a_dialog(self):
        toggle = element(self.frame, "TurnOn")
        click(toggle)
        self.assertTrue(wait_for(lambda: self.app.preferences().get("open") == "on"))
        self.assertTrue(wait_for(lambda: toggle.name == "TurnOff"), "named by its new title")
        self.assertLessEqual({"pressed", "checked"}, states(toggle))
        save = element(self.frame, "Save", "push button")
        self.assertTrue(wait_for(lambda: "enabled" in states(save)))
        click(save)
        dialog = wait_for(lambda: next(
            (c for c in descendants(self.frame) if c.getRoleName() == "dialog"), None))
        self.assertIsNotNone(dialog)
        self.assertTrue(dialog.name)  # the alert's title
        self.assertTrue(any(c.getRoleName() == "push button" for c in dialog))
        self.assertIn("saveColor", self.app.preferences())

    def test_tab_moves_focus_through_the_controls_with_focus_events(self):
        with Events("object:state-changed:focused") as events:
            self.app.keys("Tab", "Tab")
            focused = wait_for(lambda: [e.source.name for e in events.seen if e.detail1 == 1][:2])
        # Save is not enabled while the tint is off: Tab passes it by.
        self.assertEqual(focused, ["TurnOn", "Hue and saturation"])
        self.assertIn("focused", states(element(self.frame, "Hue and saturation")))


class PrismkeyFreeStartedOnTests(unittest.TestCase):
    """The settings app started with the tint already on: no change was ever told."""

    def test_the_toggle_is_named_turnoff_and_read_as_pressed(self):
        root = tempfile.TemporaryDirectory()
        self.addCleanup(root.cleanup)
        path = os.path.join(root.name, PREFERENCES)
        os.makedirs(os.path.dirname(path))
        with open(path, "wb") as file:
            plistlib.dump({"open": "on"}, file)
        with Program("PrismkeyFree", "--root", root.name) as app:
            toggle = element(app.frame, "TurnOff", "toggle button")
            self.assertIsNotNone(toggle, [c.name for c in app.frame])
            # Asked afresh: a reader that kept the state of a change event sees none.
            Atspi.Accessible.clear_cache(toggle)
            self.assertLessEqual({"pressed", "checked", "checkable"}, states(toggle))


class KeyboardHostTests(unittest.TestCase):
    def test_typed_text_is_the_entrys_text(self):
        with tempfile.NamedTemporaryFile("w", suffix=".script") as script:
            script.write("key hello\n")
            script.flush()
            with Program("keyboard-host", "--events", script.name) as host:
                entry = wait_for(lambda: next((c for c in descendants(host.frame)
                                               if c.getRoleName() == "entry"), None))
                self.assertIsNotNone(entry)
                text = entry.queryText()
                self.assertTrue(wait_for(lambda: text.getText(0, -1) == "hello"))
                self.assertEqual(text.characterCount, 5)
                self.assertIn("editable", states(entry))
                with Events("object:text-changed:insert") as events:
                    host.keys("x")
                    inserted = wait_for(lambda: events.of("object:text-changed:insert"))
                self.assertEqual([(e.detail1, e.detail2, e.any_data) for e in inserted],
                                 [(5, 1, "x")])

    def test_the_caret_follows_each_typed_character(self):
        # A braille display or a magnifier follows the caret through these events.
        with Program("keyboard-host") as host:
            entry = wait_for(lambda: next((c for c in descendants(host.frame)
                                           if c.getRoleName() == "entry"), None))
            self.assertIsNotNone(entry)
            with Events("object:text-caret-moved") as events:
                host.keys("a", "b")
                wait_for(lambda: len(events.of("object:text-caret-moved")) >= 2)
                pump(0.3)
            self.assertEqual([e.detail1 for e in events.of("object:text-caret-moved")], [1, 2])
            self.assertEqual(entry.queryText().caretOffset, 2)


if __name__ == "__main__":
    unittest.main()
