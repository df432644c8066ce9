#pragma once

#include "platform/graphics/CGGeometry.h"

// Layouts are drawn for a 414 x 736-point reference screen; these scale a
// length of that drawing to the current main screen's width or height.
// Both read the screen's bounds on every call. Plain C functions, exported
// from the library under these very names.
extern "C" {
CGFloat wAdjust(CGFloat value);
CGFloat hAdjust(CGFloat value);
}
