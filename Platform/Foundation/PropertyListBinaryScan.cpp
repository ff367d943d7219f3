// The budget check of a binary property list: every object reachable from the top,
// visited as the reader will build it, each use of a shared one anew.
#include "PropertyListBinaryLayout.h"
#include "PropertyListBudget.h"

namespace {

using Layout = BinaryPropertyListLayout;

// A UTF-16 unit becomes at most three bytes of UTF-8.
constexpr std::uint64_t utf8BytesPerUnit = 3;

class BinaryScan {
  public:
    explicit BinaryScan(const Layout& layout) : layout_(layout) {}

    std::optional<std::string> run() {
        visit(layout_.top(), 0);
        return std::move(refusal_);
    }

  private:
    bool refuse(std::string reason) {
        if (!refusal_) {
            refusal_ = std::move(reason);
        }
        return false;
    }

    bool spend(std::uint64_t payloadBytes) {
        if (++objects_ > PropertyListBudget::maximumObjects) {
            return refuse(PropertyListBudget::tooManyObjects());
        }
        if (payloadBytes > PropertyListBudget::maximumPayloadBytes - payload_) {
            return refuse(PropertyListBudget::tooMuchPayload());
        }
        payload_ += static_cast<std::size_t>(payloadBytes);
        return true;
    }

    // `depth` counts the containers around the object.
    bool visit(std::uint64_t ref, int depth) {
        std::optional<std::size_t> offset = layout_.objectOffset(ref);
        if (!offset) {
            return refuse("a reference or an object offset past its end");
        }
        switch (layout_.type(*offset)) {
        case Layout::Data:
        case Layout::AsciiString:
            return visitText(*offset, 1, 1);
        case Layout::Utf16String:
            return visitText(*offset, 2, utf8BytesPerUnit);
        case Layout::Array:
        case Layout::Set:
        case Layout::Dictionary:
            return visitContainer(*offset, depth + 1);
        default:
            return (layout_.scalarSize(*offset) || refuse("an unknown or truncated object")) &&
                   spend(0);
        }
    }

    bool visitText(std::size_t offset, std::uint64_t unitSize, std::uint64_t builtPerUnit) {
        std::optional<Layout::Extent> extent = layout_.extent(offset, unitSize);
        if (!extent) {
            return refuse("an object running past its end");
        }
        return spend(extent->count * builtPerUnit);
    }

    bool visitContainer(std::size_t offset, int depth) {
        if (depth > PropertyListBudget::maximumDepth) {
            return refuse(PropertyListBudget::nestedTooDeep());
        }
        const std::uint64_t perItem = layout_.type(offset) == Layout::Dictionary ? 2 : 1;
        std::optional<Layout::Extent> extent =
            layout_.extent(offset, perItem * layout_.referenceSize());
        if (!extent) {
            return refuse("an object running past its end");
        }
        if (perItem == 2 && extent->count > PropertyListBudget::maximumDictionaryKeys) {
            return refuse(PropertyListBudget::tooManyKeys());
        }
        if (!spend(0)) {
            return false;
        }
        for (std::uint64_t i = 0; i < extent->count * perItem; ++i) {
            if (!visit(layout_.reference(extent->start, i), depth)) {
                return false;
            }
        }
        return true;
    }

    const Layout& layout_;
    std::optional<std::string> refusal_;
    std::size_t objects_ = 0;
    std::size_t payload_ = 0;
};

} // namespace

std::optional<std::string> PropertyListBudget::checkBinary(std::string_view data) {
    std::string reason;
    std::optional<Layout> layout = Layout::read(data, reason);
    if (!layout) {
        return reason;
    }
    return BinaryScan(*layout).run();
}
