// The entry's text, read only; offsets count characters.
#include <Host/Accessibility/Atk/HostAccessibleTextAtk.h>

#include <algorithm>
#include <string>

namespace {

const std::string& textOf(AtkText* text) {
    static const std::string none;
    HostAccessibleElement* element = HostAtkElementOf(text);
    return element ? element->node.value : none;
}

gint characterCount(AtkText* text) {
    const std::string& value = textOf(text);
    return static_cast<gint>(g_utf8_strlen(value.c_str(), static_cast<gssize>(value.size())));
}

gchar* textBetween(AtkText* text, gint start, gint end) {
    const std::string& value = textOf(text);
    gint count = characterCount(text);
    if (end < 0 || end > count) {
        end = count;
    }
    start = CLAMP(start, 0, end);
    return g_utf8_substring(value.c_str(), start, end);
}

gunichar characterAt(AtkText* text, gint offset) {
    if (offset < 0 || offset >= characterCount(text)) {
        return 0;
    }
    const std::string& value = textOf(text);
    return g_utf8_get_char(g_utf8_offset_to_pointer(value.c_str(), offset));
}

// The span of `granularity` around `offset`: a character, a word (the characters
// between spaces), or the whole text (one line, one sentence). A screen reader reads
// the line at the caret on where-am-I.
gchar* stringAt(AtkText* text, gint offset, AtkTextGranularity granularity, gint* start,
                gint* end) {
    gint count = characterCount(text);
    offset = CLAMP(offset, 0, count);
    *start = 0;
    *end = count;
    if (granularity == ATK_TEXT_GRANULARITY_CHAR) {
        *start = offset;
        *end = std::min(offset + 1, count);
    } else if (granularity == ATK_TEXT_GRANULARITY_WORD) {
        *start = offset;
        while (*start > 0 && characterAt(text, *start - 1) != ' ') {
            --*start;
        }
        *end = offset;
        while (*end < count && characterAt(text, *end) != ' ') {
            ++*end;
        }
    }
    return textBetween(text, *start, *end);
}

gchar* textAt(AtkText* text, gint offset, AtkTextBoundary boundary, gint* start, gint* end) {
    switch (boundary) {
    case ATK_TEXT_BOUNDARY_CHAR:
        return stringAt(text, offset, ATK_TEXT_GRANULARITY_CHAR, start, end);
    case ATK_TEXT_BOUNDARY_WORD_START:
    case ATK_TEXT_BOUNDARY_WORD_END:
        return stringAt(text, offset, ATK_TEXT_GRANULARITY_WORD, start, end);
    default:
        return stringAt(text, offset, ATK_TEXT_GRANULARITY_LINE, start, end);
    }
}

gint noSelections(AtkText*) {
    return 0;
}

} // namespace

void HostAtkInitText(AtkTextIface* iface) {
    iface->get_text = textBetween;
    iface->get_character_count = characterCount;
    iface->get_caret_offset = characterCount; // the caret follows what is typed
    iface->get_character_at_offset = characterAt;
    iface->get_text_at_offset = textAt;
    iface->get_string_at_offset = stringAt;
    iface->get_n_selections = noSelections;
}
