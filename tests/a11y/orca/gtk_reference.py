#!/usr/bin/python3
"""GTK's own widgets, as the reference for what Orca says for a correct toolkit:
  gtk_reference.py alert TITLE MESSAGE   a message dialog with one button
  gtk_reference.py controls              a window "Reference": a toggle button
      titled "TurnOn", "TurnOff" while pressed, a push button "Save", radio
      buttons "red" and "blue" whose descriptions are their spoken colours, as
      our elements' values are"""
import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gtk  # noqa: E402


def alert(title, message):
    dialog = Gtk.MessageDialog(message_type=Gtk.MessageType.INFO, buttons=Gtk.ButtonsType.OK,
                               text=title)
    dialog.format_secondary_text(message)
    dialog.set_title(title)
    dialog.run()


def controls():
    window = Gtk.Window(title="Reference")
    window.connect("destroy", Gtk.main_quit)
    box = Gtk.Box(orientation=Gtk.Orientation.VERTICAL)
    window.add(box)
    toggle = Gtk.ToggleButton(label="TurnOn")
    toggle.connect("toggled", lambda t: t.set_label("TurnOff" if t.get_active() else "TurnOn"))
    box.add(toggle)
    box.add(Gtk.Button(label="Save"))
    group = None
    for name, spoken in [("red", "red, #FF0000"), ("blue", "blue, #0000FF")]:
        radio = Gtk.RadioButton.new_with_label_from_widget(group, name)
        radio.get_accessible().set_description(spoken)
        group = group or radio
        box.add(radio)
    window.show_all()
    Gtk.main()


if __name__ == "__main__":
    if sys.argv[1:2] == ["alert"]:
        alert(sys.argv[2], sys.argv[3])
    else:
        controls()
