#include "platform/render/Renderer.h"

#include "platform/foundation/NSRunLoop.h"
#include "platform/graphics/CGCairo.h"
#include "platform/graphics/CGImageIO.h"
#include "platform/render/LabelLayoutCache.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"

#include <algorithm>
#include <cmath>
#include <pango/pangocairo.h>

namespace {

// How fast a marquee scrolls, how long it rests at the start, and the gap
// between the end of the text and its next start.
constexpr double kMarqueeSpeed = 30.0;
constexpr double kMarqueePause = 2.0;
constexpr double kMarqueeGap = 40.0;

void setSourceColor(cairo_t* cr, const UIColor& color, double alpha = 1.0) {
    cairo_set_source_rgba(cr, color.red(), color.green(), color.blue(), color.alpha() * alpha);
}

void roundedRectPath(cairo_t* cr, CGRect rect, double radius) {
    radius = std::clamp(radius, 0.0, std::min(rect.size.width, rect.size.height) / 2);
    double x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
    if (radius <= 0) {
        cairo_rectangle(cr, x, y, w, h);
        return;
    }
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, -M_PI / 2, 0);
    cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, M_PI / 2);
    cairo_arc(cr, x + radius, y + h - radius, radius, M_PI / 2, M_PI);
    cairo_arc(cr, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

// Lays an image's pixels over a rectangle, upright as UIKit shows images,
// honouring the orientations that flip it.
void drawImage(CGContext& context, const std::shared_ptr<UIImage>& image, CGRect rect,
               double alpha) {
    if (!image || !image->CGImage() || alpha <= 0)
        return;
    const CGImageRef& bitmap = image->CGImage();
    double width = static_cast<double>(bitmap->width());
    double height = static_cast<double>(bitmap->height());
    if (width <= 0 || height <= 0 || rect.size.width <= 0 || rect.size.height <= 0)
        return;
    cairo_matrix_t matrix;
    cairo_matrix_init_translate(&matrix, rect.origin.x, rect.origin.y);
    bool flipVertically = image->imageOrientation() == UIImageOrientationDown ||
                          image->imageOrientation() == UIImageOrientationDownMirrored;
    bool flipHorizontally = image->imageOrientation() == UIImageOrientationDown ||
                            image->imageOrientation() == UIImageOrientationUpMirrored;
    if (flipVertically) {
        cairo_matrix_translate(&matrix, 0, rect.size.height);
        cairo_matrix_scale(&matrix, 1, -1);
    }
    if (flipHorizontally) {
        cairo_matrix_translate(&matrix, rect.size.width, 0);
        cairo_matrix_scale(&matrix, -1, 1);
    }
    cairo_matrix_scale(&matrix, rect.size.width / width, rect.size.height / height);
    CGFloat saved = context.state().alpha;
    context.state().alpha = saved * alpha;
    context.drawImage(bitmap, matrix);
    context.state().alpha = saved;
}

CGRect contentRect(UIViewContentMode mode, CGRect bounds, CGSize imageSize) {
    if (imageSize.width <= 0 || imageSize.height <= 0)
        return bounds;
    double sx = bounds.size.width / imageSize.width;
    double sy = bounds.size.height / imageSize.height;
    CGSize size = bounds.size;
    switch (mode) {
    case UIViewContentMode::ScaleAspectFit: {
        double s = std::min(sx, sy);
        size = {imageSize.width * s, imageSize.height * s};
        break;
    }
    case UIViewContentMode::ScaleAspectFill: {
        double s = std::max(sx, sy);
        size = {imageSize.width * s, imageSize.height * s};
        break;
    }
    case UIViewContentMode::Center:
        size = imageSize;
        break;
    default:
        return bounds;
    }
    return {{bounds.origin.x + (bounds.size.width - size.width) / 2,
             bounds.origin.y + (bounds.size.height - size.height) / 2},
            size};
}

void drawLabel(CGContext& context, UILabel& label) {
    if (!label.text() || label.text()->empty())
        return;
    cairo_t* cr = context.cairo();
    CGRect bounds = label.bounds();
    // A label outside the clip would cost a text layout for nothing; a
    // window that redraws a small part of the screen passes many of them.
    double clipLeft = 0, clipTop = 0, clipRight = 0, clipBottom = 0;
    cairo_clip_extents(cr, &clipLeft, &clipTop, &clipRight, &clipBottom);
    if (bounds.origin.x >= clipRight || bounds.origin.x + bounds.size.width <= clipLeft ||
        bounds.origin.y >= clipBottom || bounds.origin.y + bounds.size.height <= clipTop)
        return;
    // Whether a text scrolls depends on whether it fits, which depends on
    // the layout: the layout without ellipsis is asked for first.
    bool wantsScroll = label.marqueeEnabled() && label.marqueeRunning();
    LabelLayoutCache::Layout text = LabelLayoutCache::forThisThread().layout(
        cr, *label.text(), label.font(), bounds.size.width, wantsScroll);
    PangoLayout* layout = text.layout;
    double textWidth = text.textWidth;
    double textHeight = text.textHeight;
    bool fits = text.fits;
    bool scrolls = !fits && wantsScroll;

    double x = bounds.origin.x;
    double y = bounds.origin.y + (bounds.size.height - textHeight) / 2;
    if (fits) {
        if (label.textAlignment() == NSTextAlignment::Center)
            x += (bounds.size.width - textWidth) / 2;
        else if (label.textAlignment() == NSTextAlignment::Right)
            x += bounds.size.width - textWidth;
    }
    context.paint([&] {
        cairo_save(cr);
        cairo_rectangle(cr, bounds.origin.x, bounds.origin.y, bounds.size.width,
                        bounds.size.height);
        cairo_clip(cr);
        setSourceColor(cr, label.textColor(), context.state().alpha);
        if (scrolls) {
            double elapsed = NSRunLoop::mainRunLoop().now() - label.marqueeStartTime();
            double cycle = textWidth + kMarqueeGap;
            double travel = std::max(0.0, elapsed - kMarqueePause) * kMarqueeSpeed;
            double offset = std::fmod(travel, cycle);
            // Two copies follow each other; one wholly outside the label
            // would only cost a layout's glyphs for no pixel. Ink may reach a
            // little past the text's width, as far as an italic leans.
            for (double start : {x - offset, x - offset + cycle}) {
                if (start + textWidth + textHeight <= bounds.origin.x ||
                    start - textHeight >= bounds.origin.x + bounds.size.width)
                    continue;
                cairo_move_to(cr, start, y);
                pango_cairo_show_layout(cr, layout);
            }
        } else {
            cairo_move_to(cr, x, y);
            pango_cairo_show_layout(cr, layout);
        }
        cairo_restore(cr);
    });
}

void drawView(CGContext& context, UIView& view, CFAbsoluteTime now) {
    if (view.isHidden() || view.alpha() <= 0.001)
        return;
    cairo_t* cr = context.cairo();
    CGRect frame = view.frame();
    CGRect bounds = view.bounds();
    CALayer& layer = *view.layer();
    layer.clearFinishedTransition(now);

    context.save();
    cairo_translate(cr, view.center().x, view.center().y);
    double rotation = layer.presentationRotation(now);
    if (rotation != 0)
        cairo_rotate(cr, rotation);
    cairo_translate(cr, -frame.size.width / 2 - bounds.origin.x,
                    -frame.size.height / 2 - bounds.origin.y);
    context.state().alpha *= std::clamp(view.alpha(), 0.0, 1.0);

    double radius = layer.cornerRadius();
    if (view.clipsToBounds()) {
        roundedRectPath(cr, bounds, radius);
        cairo_clip(cr);
        cairo_new_path(cr);
    }
    if (const auto& background = view.backgroundColor(); background && background->alpha() > 0) {
        context.paint([&] {
            setSourceColor(cr, *background, context.state().alpha);
            roundedRectPath(cr, bounds, radius);
            cairo_fill(cr);
        });
    }

    if (auto imageView = dynamic_cast<UIImageView*>(&view)) {
        double fadeIn = 1.0;
        if (const auto& transition = layer.transition(); transition && transition->duration > 0) {
            fadeIn = std::clamp((now - transition->beginTime) / transition->duration, 0.0, 1.0);
            if (auto previous = std::dynamic_pointer_cast<UIImage>(transition->previousImage))
                drawImage(context, previous,
                          contentRect(imageView->contentMode(), bounds, previous->size()),
                          1.0 - fadeIn);
        }
        if (auto image = imageView->image())
            drawImage(context, image, contentRect(imageView->contentMode(), bounds, image->size()),
                      fadeIn);
    } else if (auto label = dynamic_cast<UILabel*>(&view)) {
        drawLabel(context, *label);
    } else if (auto button = dynamic_cast<UIButton*>(&view)) {
        if (auto image = button->currentImage()) {
            // A custom button shows its image at its own size, centred, and
            // shrinks it to fit when it is larger than the button.
            CGSize size = image->size();
            double fit = std::min({1.0, size.width > 0 ? bounds.size.width / size.width : 1.0,
                                   size.height > 0 ? bounds.size.height / size.height : 1.0});
            CGSize shown{size.width * fit, size.height * fit};
            CGRect rect{{bounds.origin.x + (bounds.size.width - shown.width) / 2,
                         bounds.origin.y + (bounds.size.height - shown.height) / 2},
                        shown};
            drawImage(context, image, rect, button->isHighlighted() ? 0.5 : 1.0);
        }
    } else if (view.drawsContent()) {
        if (const CGImageRef& contents = layer.contents()) {
            cairo_matrix_t matrix;
            cairo_matrix_init_translate(&matrix, bounds.origin.x, bounds.origin.y);
            cairo_matrix_scale(&matrix, bounds.size.width / static_cast<double>(contents->width()),
                               bounds.size.height / static_cast<double>(contents->height()));
            context.drawImage(contents, matrix);
        }
    }

    for (const auto& subview : view.subviews())
        drawView(context, *subview, now);

    if (layer.borderWidth() > 0 && layer.borderColor()) {
        context.paint([&] {
            double inset = layer.borderWidth() / 2;
            CGRect rect = CGRectInset(bounds, inset, inset);
            roundedRectPath(cr, rect, std::max(0.0, radius - inset));
            cairo_set_line_width(cr, layer.borderWidth());
            setSourceColor(cr, *layer.borderColor(), context.state().alpha);
            cairo_stroke(cr);
        });
    }
    context.restore();
}

} // namespace

CGImageRef Renderer::render(const std::shared_ptr<UIView>& root, CGFloat scale) {
    if (!root)
        return nullptr;
    CGSize size = root->bounds().size;
    if (!(size.width * scale >= 1) || !(size.height * scale >= 1) || size.width * scale > 16384 ||
        size.height * scale > 16384)
        return nullptr;
    // Views that wait to be drawn until something looks are drawn now.
    UIView::displayPendingViews();
    // An image context: y down, in points, at the scale asked for.
    CGContextRef context = UIGraphicsCreateImageContext(size, false, scale);
    if (!context)
        return nullptr;
    // The root is drawn at the origin whatever its frame says.
    cairo_translate(context->cairo(), -root->frame().origin.x, -root->frame().origin.y);
    drawView(*context, *root, NSRunLoop::mainRunLoop().now());
    return context->snapshot();
}

void Renderer::draw(const CGContextRef& context, const std::shared_ptr<UIView>& root) {
    if (!context || !root)
        return;
    UIView::displayPendingViews();
    context->save();
    cairo_translate(context->cairo(), -root->frame().origin.x, -root->frame().origin.y);
    drawView(*context, *root, NSRunLoop::mainRunLoop().now());
    context->restore();
}

void Renderer::keepReducedImages(const CGContextRef& context) {
    if (context)
        context->keepReducedImages();
}

bool Renderer::writePNG(const std::shared_ptr<UIView>& root, CGFloat scale,
                        const std::string& path) {
    CGImageRef image = render(root, scale);
    return image && CGImageWritePNGToFile(image, path);
}
