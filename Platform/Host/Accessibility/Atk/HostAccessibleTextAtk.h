// An entry's text as ATK reads it, for the accessibles of HostAccessibleAtk.cpp.
#pragma once

#include <Host/Accessibility/Atk/HostAccessibilityAtk.h>

#include <atk/atk.h>

// The element an accessible stands for; null once the element is forgotten.
HostAccessibleElement* HostAtkElementOf(gpointer accessible);

void HostAtkInitText(AtkTextIface* iface);
