// The budget check of an XML property list: its elements counted and their nesting
// followed, its text measured, markup skipped, nothing built.
#include "PropertyListBudget.h"

#include <vector>

namespace {

bool isContainer(std::string_view name) {
    return name == "array" || name == "dict";
}

bool endsName(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '/' || c == '>';
}

class XmlScan {
  public:
    XmlScan(std::string_view data, std::vector<PropertyListBudget::Span>* integers)
        : data_(data), rest_(data), integers_(integers) {}

    std::optional<std::string> run() {
        for (std::size_t next = rest_.find('<'); next != std::string_view::npos && !refused();
             next = rest_.find('<')) {
            text(rest_.substr(0, next));
            rest_.remove_prefix(next);
            markup();
        }
        if (!refused()) {
            text(rest_);
        }
        return std::move(refusal_);
    }

  private:
    bool refused() const { return refusal_.has_value(); }

    void refuse(std::string reason) {
        if (!refused()) {
            refusal_ = std::move(reason);
        }
    }

    std::size_t at() const { return data_.size() - rest_.size(); }

    void text(std::string_view text) {
        if (text.size() > PropertyListBudget::maximumPayloadBytes - payload_) {
            refuse(PropertyListBudget::tooMuchPayload());
            return;
        }
        payload_ += text.size();
        for (std::size_t at = text.find('&'); at != std::string_view::npos;
             at = text.find('&', at + 1)) {
            if (++references_ > PropertyListBudget::maximumReferences) {
                refuse(PropertyListBudget::tooManyReferences());
                return;
            }
        }
    }

    bool starts(std::string_view token) const { return rest_.substr(0, token.size()) == token; }

    void skipPast(std::string_view terminator) {
        std::size_t end = rest_.find(terminator);
        if (end == std::string_view::npos) {
            refuse("XML markup that never ends");
            return;
        }
        rest_.remove_prefix(end + terminator.size());
    }

    // At a '<': one comment, section, instruction, document type or tag.
    void markup() {
        if (starts("<!--")) {
            skipPast("-->");
        } else if (starts("<![CDATA[")) {
            std::size_t end = rest_.find("]]>");
            text(rest_.substr(0, end == std::string_view::npos ? rest_.size() : end));
            skipPast("]]>");
        } else if (starts("<?")) {
            skipPast("?>");
        } else if (starts("<!")) {
            documentType();
        } else if (starts("</")) {
            closingTag();
        } else {
            openingTag();
        }
    }

    // Declarations of its own could define entities that expand: refused, as no
    // writer of property lists makes them.
    void documentType() {
        std::size_t end = rest_.find('>');
        if (rest_.substr(0, end).find('[') != std::string_view::npos) {
            refuse("an XML document type with declarations of its own");
            return;
        }
        skipPast(">");
    }

    std::string_view name(std::size_t start) const {
        std::size_t end = start;
        while (end < rest_.size() && !endsName(rest_[end])) {
            ++end;
        }
        return rest_.substr(start, end - start);
    }

    // The index of the tag's closing '>', past quoted attribute values.
    std::size_t tagEnd() const {
        char quote = '\0';
        for (std::size_t i = 1; i < rest_.size(); ++i) {
            if (quote != '\0') {
                quote = rest_[i] == quote ? '\0' : quote;
            } else if (rest_[i] == '"' || rest_[i] == '\'') {
                quote = rest_[i];
            } else if (rest_[i] == '>') {
                return i;
            }
        }
        return std::string_view::npos;
    }

    void openingTag() {
        std::string_view tag = name(1);
        std::size_t end = tagEnd();
        if (tag.empty() || end == std::string_view::npos) {
            refuse("malformed XML");
            return;
        }
        bool empty = rest_[end - 1] == '/';
        if (tag == "integer" && integers_ != nullptr) {
            integers_->push_back({at() + (empty ? 0 : end + 1), 0});
        }
        if (tag != "plist" && ++objects_ > PropertyListBudget::maximumObjects) {
            refuse(PropertyListBudget::tooManyObjects());
        } else if (isContainer(tag) && containers_ + 1 > PropertyListBudget::maximumDepth) {
            refuse(PropertyListBudget::nestedTooDeep());
        } else if (tag == "key" && !open_.empty() && open_.back() == "dict" &&
                   ++keys_.back() > PropertyListBudget::maximumDictionaryKeys) {
            refuse(PropertyListBudget::tooManyKeys());
        } else if (!empty) {
            open_.push_back(tag);
            keys_.push_back(0);
            containers_ += isContainer(tag) ? 1 : 0;
            if (open_.size() > PropertyListBudget::maximumDepth + 2) {
                refuse("XML elements nested deeper than " +
                       std::to_string(PropertyListBudget::maximumDepth + 2));
            }
        }
        rest_.remove_prefix(end + 1);
    }

    void closingTag() {
        std::string_view tag = name(2);
        std::size_t end = rest_.find('>');
        if (end == std::string_view::npos || open_.empty() || open_.back() != tag) {
            refuse("malformed XML");
            return;
        }
        containers_ -= isContainer(tag) ? 1 : 0;
        if (tag == "integer" && integers_ != nullptr && !integers_->empty()) {
            integers_->back().size = at() - integers_->back().start;
        }
        open_.pop_back();
        keys_.pop_back();
        rest_.remove_prefix(end + 1);
    }

    std::string_view data_;
    std::string_view rest_;
    std::vector<PropertyListBudget::Span>* integers_;
    std::optional<std::string> refusal_;
    std::vector<std::string_view> open_;
    std::vector<std::size_t> keys_; // the keys seen directly in each open element
    int containers_ = 0;
    std::size_t objects_ = 0;
    std::size_t references_ = 0;
    std::size_t payload_ = 0;
};

} // namespace

std::optional<std::string> PropertyListBudget::checkXml(std::string_view data) {
    return XmlScan(data, nullptr).run();
}

std::optional<std::string> PropertyListBudget::checkXml(std::string_view data,
                                                        std::vector<Span>& integers) {
    return XmlScan(data, &integers).run();
}

std::optional<std::string> PropertyListBudget::check(std::string_view data) {
    if (data.size() > maximumBytes) {
        return tooLarge();
    }
    return data.substr(0, 8) == "bplist00" ? checkBinary(data) : checkXml(data);
}
