// Forced into the rooms that must not reach the accessibility libraries (every room
// but Accessibility): ATK, its bridge, GIO and GLib's object system all declare
// g_object_new, libdbus dbus_connection_open, atk-bridge atk_bridge_adaptor_init; a
// header of theirs included here fails to compile.
#pragma once

#pragma GCC poison g_object_new dbus_connection_open atk_bridge_adaptor_init
