// The drawing context: the platform's operations as virtual members, and the
// platform's free functions taking a CGContextRef. Coordinates are points with y
// growing downwards, as in a view's drawing.
//
// Implementations: CGCairoContext (pixels) and CGRecordingContext (a list of the
// operations, for tests).
#pragma once

#include <CoreGraphics/CGColor.h>
#include <CoreGraphics/CGGeometry.h>
#include <CoreGraphics/CGImage.h>
#include <CoreGraphics/CGPath.h>

enum CGBlendMode : int {
    kCGBlendModeNormal = 0,
    kCGBlendModeMultiply = 1,
    kCGBlendModeScreen = 2,
    kCGBlendModeOverlay = 3,
    kCGBlendModeDarken = 4,
    kCGBlendModeLighten = 5,
    kCGBlendModeColorDodge = 6,
    kCGBlendModeColorBurn = 7,
    kCGBlendModeSoftLight = 8,
    kCGBlendModeHardLight = 9,
    kCGBlendModeDifference = 10,
    kCGBlendModeExclusion = 11,
    kCGBlendModeHue = 12,
    kCGBlendModeSaturation = 13,
    kCGBlendModeColor = 14,
    kCGBlendModeLuminosity = 15,
    kCGBlendModeClear = 16,
    kCGBlendModeCopy = 17,
    kCGBlendModeSourceIn = 18,
    kCGBlendModeSourceOut = 19,
    kCGBlendModeSourceAtop = 20,
    kCGBlendModeDestinationOver = 21,
    kCGBlendModeDestinationIn = 22,
    kCGBlendModeDestinationOut = 23,
    kCGBlendModeDestinationAtop = 24,
    kCGBlendModeXOR = 25,
    kCGBlendModePlusDarker = 26,
    kCGBlendModePlusLighter = 27,
};

enum CGPathDrawingMode : int {
    kCGPathFill = 0,
    kCGPathEOFill = 1,
    kCGPathStroke = 2,
    kCGPathFillStroke = 3,
    kCGPathEOFillStroke = 4,
};

enum CGLineCap : int { kCGLineCapButt = 0, kCGLineCapRound = 1, kCGLineCapSquare = 2 };
enum CGLineJoin : int { kCGLineJoinMiter = 0, kCGLineJoinRound = 1, kCGLineJoinBevel = 2 };

enum class CGTextAlignment : int { left = 0, center = 1, right = 2 };

class CGContext {
  public:
    virtual ~CGContext() = default;

    virtual void saveGState() = 0;
    virtual void restoreGState() = 0;

    // The current path, in the coordinates in force when each part was added.
    // Filling, stroking or clipping consumes it.
    virtual void beginPath() = 0;
    virtual void addPath(const CGPath& path) = 0;
    virtual void drawPath(CGPathDrawingMode mode) = 0;
    virtual void clipToPath(bool evenOdd) = 0;
    virtual void fillRect(CGRect rect) = 0;
    virtual void strokeRect(CGRect rect) = 0;
    virtual void clearRect(CGRect rect) = 0;
    virtual void clipToRect(CGRect rect) = 0;

    // Fill and stroke colours may be pattern colours: they tile the pattern image
    // from the context's origin, one image point per point.
    virtual void setFillColor(CGColorRef color) = 0;
    virtual void setStrokeColor(CGColorRef color) = 0;
    virtual void setLineWidth(CGFloat width) = 0;
    virtual void setLineCap(CGLineCap cap) = 0;
    virtual void setLineJoin(CGLineJoin join) = 0;
    virtual void setBlendMode(CGBlendMode mode) = 0;
    virtual void setAlpha(CGFloat alpha) = 0;
    // A positive height moves the shadow down (y grows downwards). Offset and blur
    // are in points and, as on the platform, not transformed by the CTM. A null
    // colour switches the shadow off.
    virtual void setShadow(CGSize offset, CGFloat blur, CGColorRef color) = 0;

    virtual void translateCTM(CGFloat tx, CGFloat ty) = 0;
    virtual void scaleCTM(CGFloat sx, CGFloat sy) = 0;

    // The image upright in `rect` (y downwards), stretched to fill it.
    virtual void drawImage(CGRect rect, const CGImageRef& image) = 0;
    // One line or a wrapped paragraph of DejaVu Sans in `rect`, in the fill colour.
    virtual void drawText(const std::string& text, CGRect rect, CGFloat fontSize, bool bold,
                          CGTextAlignment alignment) = 0;
};

using CGContextRef = CGContext*;

void CGContextSaveGState(CGContextRef c);
void CGContextRestoreGState(CGContextRef c);
void CGContextBeginPath(CGContextRef c);
void CGContextAddPath(CGContextRef c, const CGPathRef& path);
void CGContextAddRect(CGContextRef c, CGRect rect);
void CGContextAddEllipseInRect(CGContextRef c, CGRect rect);
void CGContextFillPath(CGContextRef c); // non-zero winding
void CGContextEOFillPath(CGContextRef c);
void CGContextStrokePath(CGContextRef c);
void CGContextDrawPath(CGContextRef c, CGPathDrawingMode mode);
void CGContextClip(CGContextRef c);
void CGContextEOClip(CGContextRef c);
void CGContextFillRect(CGContextRef c, CGRect rect);
void CGContextStrokeRect(CGContextRef c, CGRect rect);
void CGContextClearRect(CGContextRef c, CGRect rect);
void CGContextFillEllipseInRect(CGContextRef c, CGRect rect);
void CGContextStrokeEllipseInRect(CGContextRef c, CGRect rect);
void CGContextClipToRect(CGContextRef c, CGRect rect);
void CGContextSetFillColorWithColor(CGContextRef c, const CGColorRef& color);
void CGContextSetStrokeColorWithColor(CGContextRef c, const CGColorRef& color);
void CGContextSetRGBFillColor(CGContextRef c, CGFloat r, CGFloat g, CGFloat b, CGFloat a);
void CGContextSetRGBStrokeColor(CGContextRef c, CGFloat r, CGFloat g, CGFloat b, CGFloat a);
void CGContextSetLineWidth(CGContextRef c, CGFloat width);
void CGContextSetLineCap(CGContextRef c, CGLineCap cap);
void CGContextSetLineJoin(CGContextRef c, CGLineJoin join);
void CGContextSetBlendMode(CGContextRef c, CGBlendMode mode);
void CGContextSetAlpha(CGContextRef c, CGFloat alpha);
void CGContextSetShadowWithColor(CGContextRef c, CGSize offset, CGFloat blur,
                                 const CGColorRef& color);
// The platform's default shadow colour: black at a third opacity.
void CGContextSetShadow(CGContextRef c, CGSize offset, CGFloat blur);
void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty);
void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy);
void CGContextDrawImage(CGContextRef c, CGRect rect, const CGImageRef& image);
