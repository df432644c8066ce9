#pragma once

#include "platform/graphics/CGContext.h"
#include "platform/graphics/CGGeometry.h"
// Code that draws here sets its colours as UIColors, which the context
// functions take as the CGColors they wrap.
#include "platform/uikit/UIColor.h"

#include <cstddef>
#include <memory>

class UIImage;

// Each thread has its own stack of current contexts, as UIKit keeps one per
// thread: image work on a background queue never sees the main thread's.

// An image context of size points at scale 1, not opaque.
void UIGraphicsBeginImageContext(CGSize size);
// Scale 0 means the main screen's scale. The context is y-down with its
// origin at the top-left, in points. A size that cannot make a bitmap (empty,
// or over 16384 pixels a side) logs a line and pushes an empty entry, so that
// the matching end still balances; drawing then goes nowhere.
void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, CGFloat scale);
CGContextRef UIGraphicsGetCurrentContext();
// The current image context's bitmap as an image of its scale; nothing when
// the top of the stack is not an image context.
std::shared_ptr<UIImage> UIGraphicsGetImageFromCurrentImageContext();
// Pops the top entry if it is an image context; otherwise logs and does
// nothing.
void UIGraphicsEndImageContext();
// Both at once: pops the image context and answers its bitmap, handing the
// pixels over rather than copying them when nothing else holds the context.
std::shared_ptr<UIImage> UIGraphicsEndImageContextWithImage();
void UIGraphicsPushContext(const CGContextRef& context);
void UIGraphicsPopContext();

// An image context that is not pushed, for hosts that draw a view tree
// themselves; nothing for a size that cannot make a bitmap.
CGContextRef UIGraphicsCreateImageContext(CGSize size, bool opaque, CGFloat scale);
// How many entries the calling thread's stack holds, for tests of balance.
std::size_t UIGraphicsGetContextStackDepth();
