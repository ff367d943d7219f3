// Text in DejaVu Sans, laid out by Pango. Sizes are in points and do not depend on
// the scale that the text is later drawn at (hinting of metrics is off).
#pragma once

#include <CoreGraphics/CGContext.h>
#include <CoreGraphics/CGGeometry.h>

#include <string>

struct CGTextStyle {
    CGFloat fontSize = 17;
    bool bold = false;
    CGTextAlignment alignment = CGTextAlignment::left;
    // Wrap at word boundaries to this width; 0 keeps one line (no wrapping).
    CGFloat wrapWidth = 0;
    friend bool operator==(const CGTextStyle&, const CGTextStyle&) = default;
};

// The size of the laid-out text, its width at most `wrapWidth` when wrapping
// (longer words may still overflow).
CGSize CGTextMeasure(const std::string& text, const CGTextStyle& style);

// Readies the fonts that the first text would wait for (the two DejaVu Sans files, or
// the desktop's configuration where they are not found, loaded beside the caller), so
// that a program can do its other start-up work meanwhile.
void CGTextPrepareFonts();
