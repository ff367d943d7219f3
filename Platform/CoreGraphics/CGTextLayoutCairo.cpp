#include <CoreGraphics/CGTextLayoutCairo.h>

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <list>
#include <mutex>
#include <string>
#include <unistd.h>

namespace {

// Where distributions put DejaVu Sans (Debian and Ubuntu first).
constexpr const char* dejaVuFolders[] = {
    "/usr/share/fonts/truetype/dejavu",
    "/usr/share/fonts/dejavu-sans-fonts",
    "/usr/share/fonts/dejavu",
    "/usr/share/fonts/TTF",
};

// Where the desktop keeps Fontconfig's caches of font folders (the user's, then the
// system's, as distributions place it).
constexpr const char* cacheFolders = "<fontconfig><cachedir prefix=\"xdg\">fontconfig</cachedir>"
                                     "<cachedir>/var/cache/fontconfig</cachedir>"
                                     "<cachedir>/usr/lib/fontconfig/cache</cachedir></fontconfig>";

// The DejaVu folder from the desktop's cache of it (0.2 ms); else its two Sans files,
// read (0.7 ms: a stale or missing cache never starts a scan of the whole folder).
bool addDejaVu(FcConfig* config, const std::string& folder) {
    auto name = [](const std::string& text) {
        return reinterpret_cast<const FcChar8*>(text.c_str());
    };
    if (FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(cacheFolders),
                                       FcFalse)) {
        if (FcCache* cache = FcDirCacheLoad(name(folder), config, nullptr)) {
            FcDirCacheUnload(cache);
            if (FcConfigAppFontAddDir(config, name(folder))) {
                return true;
            }
        }
    }
    return FcConfigAppFontAddFile(config, name(folder + "/DejaVuSans.ttf")) &&
           FcConfigAppFontAddFile(config, name(folder + "/DejaVuSans-Bold.ttf"));
}

// Every text is DejaVu Sans, regular or bold: Fontconfig is given the DejaVu fonts and
// nothing else, so that it never reads the desktop's whole configuration (some forty
// files, 5 ms, that the first text of every start waited for). Where the fonts are not
// found, the desktop's configuration is used as before.
void useOwnFontConfiguration() {
    for (const char* folder : dejaVuFolders) {
        std::string regular = std::string(folder) + "/DejaVuSans.ttf";
        std::string bold = std::string(folder) + "/DejaVuSans-Bold.ttf";
        if (access(regular.c_str(), R_OK) != 0 || access(bold.c_str(), R_OK) != 0) {
            continue;
        }
        FcConfig* config = FcConfigCreate();
        if (addDejaVu(config, folder) && FcConfigSetCurrent(config)) {
            return; // kept for the life of the process, as the desktop's would be
        }
        FcConfigDestroy(config);
    }
}

// One Pango context for every layout: metrics unhinted, so that a text measures the
// same at every scale it is later drawn at.
PangoContext* sharedContext() {
    static PangoContextPtr context = [] {
        useOwnFontConfiguration();
        PangoContextPtr made(pango_font_map_create_context(pango_cairo_font_map_get_default()));
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        pango_cairo_context_set_font_options(made.get(), options);
        cairo_font_options_destroy(options);
        return made;
    }();
    return context.get();
}

PangoAlignment pangoAlignment(CGTextAlignment alignment) {
    switch (alignment) {
    case CGTextAlignment::center:
        return PANGO_ALIGN_CENTER;
    case CGTextAlignment::right:
        return PANGO_ALIGN_RIGHT;
    case CGTextAlignment::left:
        break;
    }
    return PANGO_ALIGN_LEFT;
}

bool usable(CGFloat value) {
    return std::isfinite(value) && value > 0 && value < 10000;
}

} // namespace

struct CGTextLayout::Shaped {
    PangoLayoutPtr layout;
    CGSize size{};
};

namespace {

// What a shaping depends on: alignment only where lines wrap (one line is aligned as
// it is drawn).
struct ShapeKey {
    std::string text;
    CGFloat fontSize;
    bool bold;
    CGFloat wrapWidth; // 0: one line
    CGTextAlignment alignment;
    friend bool operator==(const ShapeKey&, const ShapeKey&) = default;
};

ShapeKey shapeKey(const std::string& text, const CGTextStyle& style) {
    bool wraps = usable(style.wrapWidth);
    return {text, usable(style.fontSize) ? style.fontSize : 17, style.bold,
            wraps ? style.wrapWidth : 0, wraps ? style.alignment : CGTextAlignment::left};
}

std::shared_ptr<const CGTextLayout::Shaped> shape(const ShapeKey& key) {
    auto shaped = std::make_shared<CGTextLayout::Shaped>();
    shaped->layout.reset(pango_layout_new(sharedContext()));
    PangoLayout* layout = shaped->layout.get();
    PangoFontDescriptionPtr font(pango_font_description_new());
    pango_font_description_set_family(font.get(), "DejaVu Sans");
    pango_font_description_set_weight(font.get(),
                                      key.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_absolute_size(font.get(), key.fontSize * PANGO_SCALE);
    pango_layout_set_font_description(layout, font.get());
    // Pango wants valid UTF-8; invalid bytes would be dropped with a warning.
    if (g_utf8_validate(key.text.data(), static_cast<gssize>(key.text.size()), nullptr)) {
        pango_layout_set_text(layout, key.text.data(), static_cast<int>(key.text.size()));
    }
    if (key.wrapWidth > 0) {
        pango_layout_set_width(layout, static_cast<int>(key.wrapWidth * PANGO_SCALE));
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
        pango_layout_set_alignment(layout, pangoAlignment(key.alignment));
    }
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    shaped->size = {static_cast<CGFloat>(logical.width) / PANGO_SCALE,
                    static_cast<CGFloat>(logical.height) / PANGO_SCALE};
    return shaped;
}

// The shapings made last, the most recent first, within a budget of text: a shaping
// costs memory by its text's length, and a line that grows with each key (a text field
// being typed in) would otherwise keep the last 64 of its lengths, growing as it does.
std::shared_ptr<const CGTextLayout::Shaped> sharedShape(const ShapeKey& key) {
    constexpr std::size_t kept = 64;
    constexpr std::size_t keptText = 4096; // bytes of text, all shapings together
    if (key.text.size() > keptText / 8) {
        return shape(key); // a long text is shaped afresh each time
    }
    static std::mutex mutex;
    static std::list<std::pair<ShapeKey, std::shared_ptr<const CGTextLayout::Shaped>>> recent;
    static std::size_t recentText = 0;
    std::lock_guard<std::mutex> guard(mutex);
    auto found = std::find_if(recent.begin(), recent.end(),
                              [&](const auto& entry) { return entry.first == key; });
    if (found != recent.end()) {
        recent.splice(recent.begin(), recent, found);
        return recent.front().second;
    }
    recent.emplace_front(key, shape(key));
    recentText += key.text.size();
    while (recent.size() > kept || recentText > keptText) {
        recentText -= recent.back().first.text.size();
        recent.pop_back();
    }
    return recent.front().second;
}

} // namespace

CGTextLayout::CGTextLayout(const std::string& text, const CGTextStyle& style)
    : shaped_(sharedShape(shapeKey(text, style))), style_(style) {}

CGSize CGTextLayout::size() const {
    return shaped_->size;
}

void CGTextLayout::draw(cairo_t* cairo, CGRect rect) const {
    double x = rect.origin.x;
    if (!usable(style_.wrapWidth)) {
        double spare = static_cast<double>(rect.size.width) - size().width;
        if (style_.alignment == CGTextAlignment::center) {
            x += spare / 2;
        } else if (style_.alignment == CGTextAlignment::right) {
            x += spare;
        }
    }
    cairo_save(cairo);
    cairo_move_to(cairo, x, rect.origin.y);
    pango_cairo_show_layout(cairo, shaped_->layout.get());
    cairo_restore(cairo);
}

CGSize CGTextMeasure(const std::string& text, const CGTextStyle& style) {
    return CGTextLayout(text, style).size();
}

// Pango starts Fontconfig on a thread of its own when the font map is made: making it
// here lets that run beside the caller (where the desktop's configuration is read).
void CGTextPrepareFonts() {
    sharedContext();
}
