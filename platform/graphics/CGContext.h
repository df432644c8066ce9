#pragma once

#include "platform/graphics/CGColor.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/CGImage.h"

#include <memory>

// A drawing destination with the platform's graphics state: a transform, a
// clip (rectangles and masks), fill and stroke colours, line width and alpha,
// and one current path. Drawing goes to a bitmap through Cairo.
class CGContext;
using CGContextRef = std::shared_ptr<CGContext>;

void CGContextSaveGState(const CGContextRef& c);
void CGContextRestoreGState(const CGContextRef& c);

// Transforms apply in user space, before the current transform. One that
// would make the transform singular leaves a state in which nothing draws,
// until the state is restored.
void CGContextScaleCTM(const CGContextRef& c, CGFloat sx, CGFloat sy);
void CGContextTranslateCTM(const CGContextRef& c, CGFloat tx, CGFloat ty);
void CGContextRotateCTM(const CGContextRef& c, CGFloat angle);
void CGContextConcatCTM(const CGContextRef& c, CGAffineTransform transform);

void CGContextBeginPath(const CGContextRef& c);
void CGContextMoveToPoint(const CGContextRef& c, CGFloat x, CGFloat y);
void CGContextAddLineToPoint(const CGContextRef& c, CGFloat x, CGFloat y);
// An arc of a circle around (x, y). With clockwise 0 the angle increases from
// startAngle to endAngle (wrapping by whole turns), which in a y-down space
// runs clockwise on screen; otherwise it decreases. A line joins the current
// point, if any, to the arc's start; the arc's end becomes the current point.
void CGContextAddArc(const CGContextRef& c, CGFloat x, CGFloat y, CGFloat radius,
                     CGFloat startAngle, CGFloat endAngle, int clockwise);
void CGContextAddRect(const CGContextRef& c, CGRect rect);
void CGContextAddEllipseInRect(const CGContextRef& c, CGRect rect);
void CGContextClosePath(const CGContextRef& c);
// The current point in user space; (0, 0) when the path is empty.
CGPoint CGContextGetPathCurrentPoint(const CGContextRef& c);
bool CGContextIsPathEmpty(const CGContextRef& c);

// Painting the path consumes it; the rectangle operations leave it alone.
void CGContextStrokePath(const CGContextRef& c);
void CGContextFillPath(const CGContextRef& c);
void CGContextFillRect(const CGContextRef& c, CGRect rect);
void CGContextFillEllipseInRect(const CGContextRef& c, CGRect rect);
void CGContextStrokeRect(const CGContextRef& c, CGRect rect);
// Makes the rectangle transparent, within the clip.
void CGContextClearRect(const CGContextRef& c, CGRect rect);

void CGContextSetLineWidth(const CGContextRef& c, CGFloat width);
void CGContextSetFillColorWithColor(const CGContextRef& c, const CGColor& color);
void CGContextSetStrokeColorWithColor(const CGContextRef& c, const CGColor& color);
void CGContextSetAlpha(const CGContextRef& c, CGFloat alpha);

void CGContextClipToRect(const CGContextRef& c, CGRect rect);
// Narrows the clip by an image laid over rect the way CGContextDrawImage lays
// it: an image with any transparent pixel lets through in proportion to its
// alpha, one opaque everywhere (whether or not it has an alpha channel) in
// proportion to its luminance (white through, black hidden). Nothing outside
// rect shows afterwards.
void CGContextClipToMask(const CGContextRef& c, CGRect rect, const CGImageRef& mask);

// Draws the image stretched over rect in the image's y-up unit space: its
// first row lands at rect's maximum y. In a y-down context (an image context)
// that shows it upside down, as on the platform; UIImage's drawInRect draws
// upright.
void CGContextDrawImage(const CGContextRef& c, CGRect rect, const CGImageRef& image);

// The transform from user space to device space, which on the platform is
// y-up with its origin at the bitmap's bottom-left corner, in pixels.
CGAffineTransform CGContextGetCTM(const CGContextRef& c);
