#!/usr/bin/python3
"""What Orca says while a user works the programs from the keyboard: each step
presses keys and waits, up to a deadline, for the words a blind user needs. GTK's
own dialogs (zenity) go first, as the control that shows the desktop, Orca and the
speech recorder work: if Orca says nothing for them, the harness is broken, not the
program. Runs inside private-bus; PRISMKEY_BUILD_DIR names the build folder and
ORCA_TRANSCRIPT, when set, a file that receives each step's words.
Usage: orca_tests.py [unittest arguments, e.g. a class]"""
import os
import shutil
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from orca_session import OrcaDesktop, Program, Transcript  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
BIN = os.path.join(os.environ.get("PRISMKEY_BUILD_DIR", "build/release"), "bin")
REFERENCE = os.path.join(HERE, "gtk_reference.py")
PREFERENCES = "var/mobile/Library/Preferences/io.prismkey.tint.plist"
# The windows' titles: the desktop entries' Name.
PRISMKEY_FREE_TITLE = "PrismkeyFree"
KEYBOARD_HOST_TITLE = "Prismkey Keyboard Host"
STEP_TIMEOUT = 8
SETTLE_SECONDS = 1
# Not preceded by "not ": the state itself.
PRESSED = r"(?<!not )pressed"
# A one-line text field's role, as Orca names it: GTK's is "text", ATK's entry role
# "entry"; either tells the user it takes typing.
TEXT_ROLE = r"text|entry"
SELECTED = r"(?<!not )selected"


class OrcaTestCase(unittest.TestCase):
    """One Orca for the class; each test's programs end with it. A step that
    does not hear its words is recorded and the test goes on, so that one run
    shows every step; the test fails at the end with each unmet step and what
    Orca said instead."""

    desktop = None
    transcript = Transcript(os.environ.get("ORCA_TRANSCRIPT"))

    @classmethod
    def setUpClass(cls):
        cls.desktop = OrcaDesktop().start()

    @classmethod
    def tearDownClass(cls):
        cls.desktop.close()
        if cls.transcript.path:
            cls.desktop.keep_debug_log(cls.transcript.path + ".orca-debug.out")
        cls.desktop.folder.cleanup()

    def setUp(self):
        self.unmet = []

    def launch(self, command, name, announced=None):
        """Starts a program and waits until its window has the focus; then, with
        `announced`, for those phrases, heard from the start."""
        mark = self.desktop.speech.mark()
        program = Program(self.desktop, command, name)
        self.addCleanup(program.close)
        if not program.wait_for_window():
            self.fail("%s opened no window; its output:\n%s" % (name, program.output()))
        if not self.desktop.activate(program.window):
            self.fail("%s's window did not get the focus" % name)
        if announced is None:
            self.desktop.quiet(mark, seconds=0.5, timeout=4)
            program.announced = True
        else:
            program.announced = self.hear("window named on start", mark, announced)
        return program

    def launch_app(self, name, announced=None, settle=True):
        """One of our programs in a fresh device root. With `settle`, the steps
        start once the program is on the accessibility bus and a moment has
        passed: what is heard in the very first moments is a test of its own."""
        root = tempfile.mkdtemp(prefix="orca-root-")
        self.addCleanup(shutil.rmtree, root, True)
        program = self.launch([os.path.join(BIN, name), "--root", root], name, announced)
        program.root = root
        if settle:
            self.assertTrue(self.desktop.wait_until_on_bus(program.process.pid),
                            "%s did not join the accessibility bus" % name)
            time.sleep(SETTLE_SECONDS)
        return program

    def step(self, name, action, phrases, timeout=STEP_TIMEOUT, any_order=False):
        """Does `action` and waits for the phrases (regular expressions, in order
        unless `any_order`). Returns whether they were said."""
        mark = self.desktop.speech.mark()
        action()
        return self.hear(name, mark, phrases, timeout, any_order)

    def hear(self, name, mark, phrases, timeout=STEP_TIMEOUT, any_order=False):
        desktop = self.desktop
        if any_order:
            said = all(desktop.wait_for_words([p], mark, timeout) is not None for p in phrases)
        else:
            said = desktop.wait_for_words(phrases, mark, timeout) is not None
        # The rest of the answer, so that the next step hears only its own.
        utterances = desktop.quiet(mark, seconds=0.5, timeout=4)
        self.transcript.write(self.id(), name, phrases, utterances, said)
        if not said:
            self.unmet.append("%s: expected %s; Orca said %s" % (
                name, " ... ".join(phrases), utterances or "nothing"))
        return said

    def keys(self, *keys):
        return lambda: self.desktop.keys(*keys)

    def where_am_i(self, name, phrases):
        """KP_Enter, Orca's where-am-I. Orca passes over a window activation that
        comes after a key it consumed (it takes it for a key grab's doing) and
        does not name that window: a Shift after the command keeps the next
        window of the test class from being passed over."""
        said = self.step(name, self.keys("KP_Enter"), phrases)
        mark = self.desktop.speech.mark()
        self.desktop.keys("shift")
        self.desktop.quiet(mark, seconds=0.5, timeout=3)
        return said

    def assert_every_step_heard(self):
        if self.unmet:
            self.fail("Orca did not say what the user needs:\n  " + "\n  ".join(self.unmet) +
                      "\n(Orca's debug log: %s)" % self.desktop.debug_log)

    # --- steps both kinds of program share

    def window_is_named_when_it_gains_focus(self, program, title):
        """Focus goes to another window and comes back: Orca names ours each time.
        Orca must have spoken the other window before ours comes back: an activation
        it is still busy with when the focus returns is, to Orca, no change at all,
        and it says nothing (a loaded machine's Orca can be silent for over 0.5 s)."""
        mark = self.desktop.speech.mark()
        other = self.launch(["zenity", "--info", "--title", "Elsewhere", "--text",
                             "Another window"], "zenity")
        phrases = [r"elsewhere|another window|ok"]
        said = self.desktop.wait_for_words(phrases, mark, STEP_TIMEOUT / 2) is not None
        if not said:
            # GTK drops its window's events while its bridge has not yet heard who
            # listens: Orca never learnt of the other window. Once more, now it has.
            self.desktop.activate(program.window)
            self.desktop.quiet(mark, seconds=0.5, timeout=4)
            self.desktop.activate(other.window)
            said = self.desktop.wait_for_words(phrases, mark, STEP_TIMEOUT) is not None
        utterances = self.desktop.quiet(mark, seconds=0.5, timeout=4)
        self.transcript.write(self.id(), "the other window named", phrases, utterances, said)
        self.step("window named on returning to it",
                  lambda: self.desktop.activate(program.window), [title])
        other.close()

    def typing_is_echoed_and_read_back(self, field):
        """'Hi 42' typed, one BackSpace, then where-am-I reads the field."""
        self.step("type Hi 42", lambda: self.desktop.type("Hi 42"),
                  ["h", "i", "space", "4", "2"])
        self.step("BackSpace", self.keys("BackSpace"), ["backspace", "2"])
        self.where_am_i("where am I (KP_Enter)", [field, TEXT_ROLE, "hi 4"])


class GtkControl(OrcaTestCase):
    """GTK's dialogs, read by the same Orca through the same harness. They are the
    positive control: the harness is broken when Orca says nothing at all for a step.
    What it says is in the transcript beside what it says for our programs; on a
    loaded machine Orca sometimes passes over a GTK window's activation at its start
    (it says the focused control only), which is GTK's and Orca's race, not ours."""

    def launch(self, command, name, announced=None):
        """A GTK window that gains the focus before GTK's bridge has heard who listens
        sends Orca nothing at all: such a start is GTK's race, and is made once more."""
        mark, unmet = self.desktop.speech.mark(), len(self.unmet)
        program = super().launch(command, name, announced)
        if announced is not None and not program.announced and not self.desktop.speech.since(mark):
            del self.unmet[unmet:]
            program.close()
            program = super().launch(command, name, announced)
        return program

    def require(self, what):
        silent = [step for step in self.unmet if step.endswith("Orca said nothing")]
        if silent:
            self.fail("the harness is broken: Orca said nothing for %s (%s); "
                      "Orca's output:\n%s" % (what, "; ".join(silent),
                                              self.desktop.tail("orca")))

    def test_colour_chooser_is_named_and_tab_speaks_a_control(self):
        self.launch(["zenity", "--color-selection", "--show-palette", "--title",
                               "Select a colour"], "zenity", ["select a colour"])
        self.step("Tab", self.keys("Tab"), ["tab", "radio button"])
        self.require("GTK's colour chooser")
        # What the recorder heard is what Orca's debug log says it sent to speech.
        heard = self.desktop.speech.since(0)
        sent = self.desktop.debug_speech()
        common = min(len(heard), len(sent))
        self.assertGreater(common, 2)
        self.assertEqual([h.strip() for h in heard[:common]], sent[:common])

    def test_entry_echoes_typing_and_where_am_i_reads_it(self):
        self.launch(["zenity", "--entry", "--title", "Typing", "--text", "Text field"],
                              "zenity", ["typing", "text field", TEXT_ROLE])
        self.typing_is_echoed_and_read_back("text field")
        self.require("GTK's entry")

    def test_alert_is_announced_with_its_title_message_and_button(self):
        self.launch([REFERENCE, "alert", "Tips", "Save successful"], "gtk_reference",
                              ["alert", "tips", "save successful", "ok", "push button"])
        self.require("GTK's alert")


    def test_toggle_push_and_radio_buttons_say_name_role_state_and_description(self):
        # GTK focuses the first control at once.
        self.launch([REFERENCE, "controls"], "gtk_reference",
                    ["turnon", "toggle button", "not pressed"])
        tab = self.keys("Tab")
        self.step("Space presses it: retitled", self.keys("space"), ["turnoff"])
        self.step("Tab to Save", tab, ["save", "push button"])
        self.step("Tab to the red radio button", tab,
                  ["red", "selected", "radio button", "red, #ff0000"])
        self.step("Down to the blue radio button", self.keys("Down"),
                  ["blue", SELECTED, "radio button", "blue, #0000ff"])
        self.require("GTK's buttons")

    def test_window_is_named_when_it_gains_focus(self):
        program = self.launch([REFERENCE, "controls"], "gtk_reference", ["reference"])
        self.window_is_named_when_it_gains_focus(program, "reference")
        self.require("GTK's window")


class PrismkeyFreeSpeech(OrcaTestCase):
    """The settings app, worked from the keyboard with Orca listening."""

    def test_window_is_named_when_it_gains_focus(self):
        program = self.launch_app("PrismkeyFree", [PRISMKEY_FREE_TITLE])
        self.window_is_named_when_it_gains_focus(program, PRISMKEY_FREE_TITLE)
        self.assert_every_step_heard()

    def test_the_first_tab_after_the_window_appears_is_spoken(self):
        self.launch_app("PrismkeyFree", settle=False)
        self.step("Tab at once", self.keys("Tab"), ["turnon"])
        self.assert_every_step_heard()

    def test_keys_reach_orca(self):
        self.launch_app("PrismkeyFree")
        self.step("Tab is echoed", self.keys("Tab"), ["tab"])
        self.where_am_i("where am I (KP_Enter) on the toggle",
                        ["turnon", "toggle button", "not pressed"])
        self.assert_every_step_heard()

    def test_tab_speaks_each_control_with_its_name_role_and_state(self):
        self.launch_app("PrismkeyFree")
        tab = self.keys("Tab")
        # Named by the title it shows, which says what a press does.
        self.step("Tab to the toggle", tab, ["turnon", "toggle button", "not pressed"])
        self.step("Space turns the tint on: retitled", self.keys("space"), ["turnoff"])
        self.step("Tab to Save", tab, ["save", "push button"])
        self.step("Tab to the wheel", tab, ["hue and saturation", "slider", "white, #ffffff"])
        for colour in ["red", "yellow", "green", "cyan", "blue", "magenta"]:
            self.step("Tab to the %s swatch" % colour, tab,
                      [colour, "not selected", "radio button"])
        self.step("Tab to the original colour", tab, ["original color", "white, #ffffff"])
        self.step("Tab to the new colour", tab, ["new color", "white, #ffffff"])
        self.step("Tab to the more-apps link", tab, ["more apps by me", "link"])
        self.assert_every_step_heard()

    def test_return_on_a_swatch_speaks_its_colour_and_selected(self):
        self.launch_app("PrismkeyFree")
        self.step("Tab to the toggle", self.keys("Tab"), ["turnon"])
        # Save is not enabled while the tint is off: the wheel comes next.
        self.step("Tab to the wheel", self.keys("Tab"), ["hue and saturation", "white, #ffffff"])
        self.step("Tab to the red swatch", self.keys("Tab"), ["red", "radio button"])
        self.step("Right to the yellow swatch", self.keys("Right"), ["yellow", "radio button"])
        self.step("Right to the green swatch", self.keys("Right"), ["green", "radio button"])
        self.step("Right to the cyan swatch", self.keys("Right"), ["cyan", "radio button"])
        self.step("Right to the blue swatch", self.keys("Right"),
                  ["blue", "not selected", "radio button", "blue, #0000ff"])
        self.step("Return picks blue", self.keys("Return"), ["blue, #0000ff", SELECTED],
                  any_order=True)
        self.step("Right to the magenta swatch", self.keys("Right"),
                  ["magenta", "not selected", "radio button", "magenta, #ff00ff"])
        self.step("Space picks magenta", self.keys("space"), [SELECTED])
        self.step("Tab to the original colour", self.keys("Tab"),
                  ["original color", "white, #ffffff"])
        self.step("Tab to the new colour", self.keys("Tab"), ["new color", "magenta, #ff00ff"])
        self.step("Shift+Tab back to the original colour", self.keys("shift+Tab"),
                  ["original color", "white, #ffffff"])
        self.assert_every_step_heard()

    def test_each_alert_is_announced_with_title_message_and_focused_button(self):
        program = self.launch_app("PrismkeyFree")
        self.step("Tab to the toggle", self.keys("Tab"), ["turnon"])
        self.step("Space turns the tint on: retitled", self.keys("space"), ["turnoff"])
        self.step("Tab to Save", self.keys("Tab"), ["save", "push button"])
        self.step("Return saves: the success alert", self.keys("Return"),
                  ["tips", "save successful", "get it", "push button"])
        self.step("Return closes it: focus back on Save", self.keys("Return"), ["save"])
        # A settings file that cannot be read: the toggle says so in an alert.
        path = os.path.join(program.root, PREFERENCES)
        os.unlink(path)
        os.mkdir(path)
        self.step("Shift+Tab to the toggle", self.keys("shift+Tab"), ["turnoff", PRESSED])
        self.step("Space on an unreadable file: the failure alert", self.keys("space"),
                  ["not saved", "the setting could not be changed", "ok", "push button"])
        self.step("Escape closes it: focus back on the toggle", self.keys("Escape"), ["turnoff"])
        self.assert_every_step_heard()


class KeyboardHostSpeech(OrcaTestCase):
    """keyboard-host: its text field, typed into from the computer's keyboard."""

    def test_window_is_named_when_it_gains_focus(self):
        program = self.launch_app("keyboard-host", [KEYBOARD_HOST_TITLE])
        self.window_is_named_when_it_gains_focus(program, KEYBOARD_HOST_TITLE)
        self.assert_every_step_heard()

    def test_typing_is_echoed_and_where_am_i_reads_the_text(self):
        # The text field holds the focus while the window is active.
        self.launch_app("keyboard-host", [KEYBOARD_HOST_TITLE, "text field", TEXT_ROLE])
        self.typing_is_echoed_and_read_back("text field")
        self.assert_every_step_heard()


if __name__ == "__main__":
    unittest.main()
