#!/usr/bin/python3
"""The desktop portal's OpenURI as tests need it, on a private bus. Usage:
fake-portal.py BUS-ADDRESS RECORD READY. Each address handed to it is appended to
RECORD; READY is created once the portal's name is owned. What it does with an
address follows the address's scheme:

  answerN:...          replies with the request's handle, then sends Response N
  silent-response:...  replies with the handle and never sends a Response
  silent-call:...      never replies to the call
"""
import sys

from gi.repository import Gio, GLib

INTERFACE = """<node><interface name="org.freedesktop.portal.OpenURI">
  <method name="OpenURI">
    <arg type="s" name="parent_window" direction="in"/>
    <arg type="s" name="uri" direction="in"/>
    <arg type="a{sv}" name="options" direction="in"/>
    <arg type="o" name="handle" direction="out"/>
  </method>
</interface></node>"""

address, record, ready = sys.argv[1:4]
unanswered = []


def open_uri(connection, sender, path, interface, method, parameters, invocation):
    _, uri, options = parameters.unpack()
    with open(record, "a") as out:
        out.write(uri + "\n")
    scheme = uri.split(":", 1)[0]
    if scheme == "silent-call":
        unanswered.append(invocation)
        return
    handle = "/org/freedesktop/portal/desktop/request/%s/%s" % (
        sender[1:].replace(".", "_"), options.get("handle_token", "t"))
    invocation.return_value(GLib.Variant("(o)", (handle,)))
    if scheme.startswith("answer"):
        connection.emit_signal(sender, handle, "org.freedesktop.portal.Request", "Response",
                               GLib.Variant("(ua{sv})", (int(scheme[6:]), {})))


connection = Gio.DBusConnection.new_for_address_sync(
    address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT |
    Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
connection.register_object("/org/freedesktop/portal/desktop",
                           Gio.DBusNodeInfo.new_for_xml(INTERFACE).interfaces[0],
                           open_uri, None, None)
Gio.bus_own_name_on_connection(connection, "org.freedesktop.portal.Desktop",
                               Gio.BusNameOwnerFlags.NONE,
                               lambda *_: open(ready, "w").close(), None)
GLib.MainLoop().run()
