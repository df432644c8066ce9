#pragma once

#include "platform/graphics/CGContext.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/CGImage.h"

#include <memory>
#include <string>

class UIView;

// Draws a view tree the way the screen would show it at the run loop's
// current time: backgrounds, borders and rounded corners, images by content
// mode, label text (scrolling when a marquee runs), what custom views drew,
// running rotations and cross-fades.
class Renderer {
public:
    // A bitmap of the root's size at the given scale.
    static CGImageRef render(const std::shared_ptr<UIView>& root, CGFloat scale);
    // Draws the tree into a context as it stands (its transform and clip), the
    // root at the origin; a live window redraws only the parts that changed.
    static void draw(const CGContextRef& context, const std::shared_ptr<UIView>& root);
    // For a context that is drawn into frame after frame: it keeps smaller
    // copies of the images it shows reduced rather than reducing them on
    // every draw.
    static void keepReducedImages(const CGContextRef& context);
    static bool writePNG(const std::shared_ptr<UIView>& root, CGFloat scale,
                         const std::string& path);
};
