// libplist's handles, each in a smart pointer with its own release; shared by the
// property-list reader and writer, the only files that call libplist.
#pragma once

#include <plist/plist.h>

#include <cstdlib>
#include <memory>

struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

struct PlistXmlDeleter {
    void operator()(char* xml) const { plist_to_xml_free(xml); }
};
using PlistXmlPtr = std::unique_ptr<char, PlistXmlDeleter>;

struct PlistMallocDeleter {
    void operator()(void* memory) const { std::free(memory); }
};
