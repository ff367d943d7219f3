// Binary property lists laid out byte by byte, for lists no ordinary writer makes:
// one object referenced from many places, cycles, offsets past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace binaryplist {

class Builder {
  public:
    // The reference the next object will have, for an array that holds itself.
    std::size_t next() const { return objects_.size(); }

    // An object given byte for byte, its marker first.
    std::size_t raw(std::string encoded) { return add(std::move(encoded)); }
    std::size_t string(std::string_view text) {
        return add(marker(0x5, text.size()) + std::string(text));
    }
    std::size_t array(const std::vector<std::size_t>& items) {
        std::string encoded = marker(0xA, items.size());
        for (std::size_t item : items) {
            encoded += reference(item);
        }
        return add(encoded);
    }
    std::size_t dictionary(const std::vector<std::pair<std::size_t, std::size_t>>& entries) {
        std::string encoded = marker(0xD, entries.size());
        for (const auto& entry : entries) {
            encoded += reference(entry.first);
        }
        for (const auto& entry : entries) {
            encoded += reference(entry.second);
        }
        return add(encoded);
    }

    // Header, objects, offset table (4-byte offsets), trailer (2-byte references).
    std::string bytes(std::size_t top) const {
        std::string out = "bplist00";
        std::vector<std::uint64_t> offsets;
        for (const std::string& object : objects_) {
            offsets.push_back(out.size());
            out += object;
        }
        std::uint64_t table = out.size();
        for (std::uint64_t offset : offsets) {
            out += bigEndian(offset, 4);
        }
        out += std::string(6, '\0') + '\x04' + '\x02';
        return out + bigEndian(objects_.size(), 8) + bigEndian(top, 8) + bigEndian(table, 8);
    }

  private:
    static std::string bigEndian(std::uint64_t value, int size) {
        std::string out(static_cast<std::size_t>(size), '\0');
        for (int i = size - 1; i >= 0; --i, value >>= 8) {
            out[static_cast<std::size_t>(i)] = static_cast<char>(value & 0xFF);
        }
        return out;
    }
    static std::string marker(int type, std::size_t count) {
        if (count < 15) {
            return std::string(1, static_cast<char>(type << 4 | static_cast<int>(count)));
        }
        return std::string(1, static_cast<char>(type << 4 | 0xF)) + '\x11' + bigEndian(count, 2);
    }
    static std::string reference(std::size_t ref) { return bigEndian(ref, 2); }
    std::size_t add(std::string encoded) {
        objects_.push_back(std::move(encoded));
        return objects_.size() - 1;
    }

    std::vector<std::string> objects_;
};

// {"open": "on", "nested": L} where L is `levels` arrays deep and each array holds
// two references to the one below: 2^levels leaves from a few hundred bytes.
inline std::string doublingList(int levels) {
    Builder b;
    std::size_t below = b.string("leaf");
    for (int i = 0; i < levels; ++i) {
        below = b.array({below, below});
    }
    std::size_t top =
        b.dictionary({{b.string("open"), b.string("on")}, {b.string("nested"), below}});
    return b.bytes(top);
}

// {"open": "on", "loop": A} where A holds itself.
inline std::string cycle() {
    Builder b;
    std::size_t self = b.next();
    b.array({self});
    std::size_t top = b.dictionary({{b.string("open"), b.string("on")}, {b.string("loop"), self}});
    return b.bytes(top);
}

// {"open": "on", "chain": ...} with `containers` containers in all, the top one counted.
inline std::string chain(int containers) {
    Builder b;
    std::size_t below = b.array({});
    for (int i = 2; i < containers; ++i) {
        below = b.array({below});
    }
    std::size_t top =
        b.dictionary({{b.string("open"), b.string("on")}, {b.string("chain"), below}});
    return b.bytes(top);
}

// {"open": "on"} whose top object's offset points past the end of the file.
inline std::string offsetPastTheEnd() {
    Builder b;
    std::size_t top = b.dictionary({{b.string("open"), b.string("on")}});
    std::string bytes = b.bytes(top);
    const std::size_t table = bytes.size() - 32 - std::size_t{4} * 3;
    bytes.replace(table + std::size_t{4} * top, 4, "\x7f\xff\xff\xf0", 4);
    return bytes;
}

} // namespace binaryplist
