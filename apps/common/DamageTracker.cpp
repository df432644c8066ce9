#include "apps/common/DamageTracker.h"

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIFontPango.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIView.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <pango/pangocairo.h>

namespace {

// Below this a view draws nothing, as the renderer decides.
constexpr double kInvisibleAlpha = 0.001;
// Motion is sampled at these rates: the loop may wake far more often (a bus,
// a busy player), but a picture that moves with time is new only once a
// frame, and scrolling text only once every other one.
constexpr double kMotionFramesPerSecond = 60;
constexpr double kTextFramesPerSecond = 20;

// FNV-1a over the inputs of a view's drawing.
class StateHash {
public:
    template <class T>
    StateHash& add(const T& value) {
        static_assert(std::is_trivially_copyable_v<T>);
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        for (unsigned char byte : bytes)
            mix(byte);
        return *this;
    }
    StateHash& add(const std::string& text) {
        add(text.size());
        for (char ch : text)
            mix(static_cast<unsigned char>(ch));
        return *this;
    }
    StateHash& add(const UIColor& color) {
        return add(color.red()).add(color.green()).add(color.blue()).add(color.alpha());
    }
    StateHash& add(const UIColorRef& color) {
        add(color.has_value());
        return color ? add(*color) : *this;
    }
    StateHash& add(CGRect rect) {
        return add(rect.origin.x).add(rect.origin.y).add(rect.size.width).add(rect.size.height);
    }
    std::uint64_t value() const { return m_value; }

private:
    void mix(unsigned char byte) {
        m_value ^= byte;
        m_value *= 0x100000001b3ULL;
    }
    std::uint64_t m_value = 0xcbf29ce484222325ULL;
};

std::uint64_t fontKey(const UIFont& font) {
    return StateHash()
        .add(font.familyName())
        .add(font.pointSize())
        .add(font.isBold())
        .add(font.isItalic())
        .value();
}

CGRect unionRect(CGRect a, CGRect b) {
    double x0 = std::min(a.origin.x, b.origin.x);
    double y0 = std::min(a.origin.y, b.origin.y);
    double x1 = std::max(a.origin.x + a.size.width, b.origin.x + b.size.width);
    double y1 = std::max(a.origin.y + a.size.height, b.origin.y + b.size.height);
    return {{x0, y0}, {x1 - x0, y1 - y0}};
}

bool sameRect(CGRect a, CGRect b) {
    return a.origin.x == b.origin.x && a.origin.y == b.origin.y && a.size.width == b.size.width &&
           a.size.height == b.size.height;
}

bool touches(CGRect a, CGRect b) {
    return a.origin.x <= b.origin.x + b.size.width && b.origin.x <= a.origin.x + a.size.width &&
           a.origin.y <= b.origin.y + b.size.height && b.origin.y <= a.origin.y + a.size.height;
}

// Where an image view's picture lands for its content mode; it can reach
// past the bounds (aspect fill, centre) when the view does not clip.
CGRect imageArea(UIViewContentMode mode, CGRect bounds, CGSize size) {
    if (size.width <= 0 || size.height <= 0)
        return bounds;
    double sx = bounds.size.width / size.width;
    double sy = bounds.size.height / size.height;
    double s = 1;
    switch (mode) {
    case UIViewContentMode::ScaleAspectFit:
        s = std::min(sx, sy);
        break;
    case UIViewContentMode::ScaleAspectFill:
        s = std::max(sx, sy);
        break;
    case UIViewContentMode::Center:
        break;
    default:
        return bounds;
    }
    CGSize shown{size.width * s, size.height * s};
    return {{bounds.origin.x + (bounds.size.width - shown.width) / 2,
             bounds.origin.y + (bounds.size.height - shown.height) / 2},
            shown};
}

} // namespace

DamageTracker::Affine DamageTracker::Affine::then(const Affine& next) const {
    // Applies this transform first, then next, as the renderer's nested
    // translations and rotations do from the root down.
    Affine result;
    result.a = next.a * a + next.c * b;
    result.b = next.b * a + next.d * b;
    result.c = next.a * c + next.c * d;
    result.d = next.b * c + next.d * d;
    result.tx = next.a * tx + next.c * ty + next.tx;
    result.ty = next.b * tx + next.d * ty + next.ty;
    return result;
}

CGRect DamageTracker::Affine::boundingBox(CGRect rect) const {
    CGPoint corners[] = {
        apply(rect.origin),
        apply({rect.origin.x + rect.size.width, rect.origin.y}),
        apply({rect.origin.x, rect.origin.y + rect.size.height}),
        apply({rect.origin.x + rect.size.width, rect.origin.y + rect.size.height}),
    };
    double x0 = corners[0].x, x1 = corners[0].x, y0 = corners[0].y, y1 = corners[0].y;
    for (const CGPoint& p : corners) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    return {{x0, y0}, {x1 - x0, y1 - y0}};
}

bool DamageTracker::textOverflows(const UILabel& label) {
    const std::string& text = *label.text();
    std::uint64_t font = fontKey(label.font());
    TextMeasure& measure = m_measures[&label];
    if (measure.text != text || measure.font != font || measure.width <= 0) {
        // Laid out as the renderer lays out a label: one line, line breaks
        // as blanks, the font at its absolute size.
        static PangoContext* context =
            pango_font_map_create_context(pango_cairo_font_map_get_default());
        PangoLayout* layout = pango_layout_new(context);
        UIFontSetOnPangoLayout(layout, label.font());
        std::string oneLine = text;
        std::replace(oneLine.begin(), oneLine.end(), '\n', ' ');
        pango_layout_set_text(layout, oneLine.c_str(), static_cast<int>(oneLine.size()));
        int width = 0, height = 0;
        pango_layout_get_size(layout, &width, &height);
        g_object_unref(layout);
        measure = {text, font, std::max(1.0, static_cast<double>(width) / PANGO_SCALE),
                   static_cast<double>(height) / PANGO_SCALE};
    }
    // Metrics differ a little with the drawing scale: near the edge, count
    // the text as scrolling, which costs frames but never a stale picture.
    return measure.width > label.bounds().size.width - 1.0;
}

void DamageTracker::visit(const UIView& view, const Affine& parent, double parentAlpha, CGRect clip,
                          const UIView* superview, size_t index, Walk& walk) {
    if (view.isHidden() || view.alpha() <= kInvisibleAlpha)
        return;
    const CALayer& layer = *view.layer();
    CGRect frame = view.frame();
    CGRect bounds = view.bounds();
    double rotation = layer.presentationRotation(walk.frameTime);
    bool layerAnimates = false;
    for (const auto& [key, animation] : layer.animations()) {
        if (!animation->isFinished(walk.now))
            layerAnimates = true;
    }

    // The renderer's own steps: to the centre, rotate, back to the bounds'
    // origin.
    Affine local;
    local.tx = view.center().x;
    local.ty = view.center().y;
    if (rotation != 0) {
        Affine turn{
            std::cos(rotation), std::sin(rotation), -std::sin(rotation), std::cos(rotation), 0, 0};
        local = turn.then(local);
    }
    Affine back;
    back.tx = -frame.size.width / 2 - bounds.origin.x;
    back.ty = -frame.size.height / 2 - bounds.origin.y;
    Affine transform = back.then(local).then(parent);
    double alpha = parentAlpha * std::clamp(view.alpha(), 0.0, 1.0);

    CGRect drawn = bounds;
    CGRect motion = CGRectZero;
    std::optional<std::uint64_t> stillState;
    StateHash state;
    state.add(transform)
        .add(alpha)
        .add(clip)
        .add(bounds)
        .add(superview)
        .add(index)
        .add(view.backgroundColor())
        .add(view.clipsToBounds())
        .add(layer.cornerRadius())
        .add(layer.borderWidth())
        .add(UIColorRef(layer.borderColor()));

    // Views that the renderer draws itself, rather than from their contents.
    const auto* imageView = dynamic_cast<const UIImageView*>(&view);
    const auto* label = imageView ? nullptr : dynamic_cast<const UILabel*>(&view);
    const auto* button = imageView || label ? nullptr : dynamic_cast<const UIButton*>(&view);
    if (imageView) {
        const auto& image = imageView->image();
        state.add(image.get()).add(imageView->contentMode());
        if (image)
            drawn = unionRect(drawn, imageArea(imageView->contentMode(), bounds, image->size()));
        if (const auto& transition = layer.transition();
            transition && transition->duration > 0 &&
            walk.now < transition->beginTime + transition->duration) {
            state.add(transition->previousImage.get()).add(walk.frameTime);
            if (auto previous = std::dynamic_pointer_cast<UIImage>(transition->previousImage))
                drawn =
                    unionRect(drawn, imageArea(imageView->contentMode(), bounds, previous->size()));
            walk.animating = walk.otherMotion = true;
        }
    } else if (label) {
        const auto& text = label->text();
        state.add(text.has_value())
            .add(text.value_or(""))
            .add(fontKey(label->font()))
            .add(label->textColor())
            .add(label->textAlignment())
            .add(label->marqueeEnabled())
            .add(label->marqueeRunning())
            .add(label->marqueeStartTime());
        if (text && !text->empty() && label->marqueeEnabled() && label->marqueeRunning() &&
            textOverflows(*label)) {
            // The text line sits centred in the label; its ink may reach past
            // the line's height (accents, descenders) by a good margin.
            const double line = m_measures[label].height;
            const double margin = std::max(2.0, line / 4);
            motion = {{bounds.origin.x, bounds.origin.y + (bounds.size.height - line) / 2 - margin},
                      {bounds.size.width, line + 2 * margin}};
            motion = CGRectIntersection(motion, bounds);
            stillState = state.value();
            state.add(std::floor(walk.now * kTextFramesPerSecond));
            walk.animating = walk.scrollingText = true;
        }
    } else if (button) {
        state.add(button->currentImage().get()).add(button->isHighlighted());
    }
    if (layerAnimates)
        walk.animating = walk.otherMotion = true;

    CGRect area = CGRectIntersection(transform.boundingBox(drawn), clip);
    if (!CGRectIsEmpty(area)) {
        CGImageRef contents;
        if (view.drawsContent() && !imageView && !label && !button) {
            contents = layer.contents();
            state.add(static_cast<bool>(contents));
        }
        CGRect moving = CGRectZero;
        if (stillState && !CGRectIsEmpty(motion))
            moving = CGRectIntersection(transform.boundingBox(motion), clip);
        walk.items[&view] = {area,
                             state.value(),
                             std::move(contents),
                             transform,
                             bounds,
                             clip,
                             stillState.value_or(state.value()),
                             moving};
    }

    CGRect childClip = clip;
    if (view.clipsToBounds())
        childClip = CGRectIntersection(clip, transform.boundingBox(bounds));
    const auto& subviews = view.subviews();
    for (size_t i = 0; i < subviews.size(); ++i)
        visit(*subviews[i], transform, alpha, childClip, &view, i, walk);
}

DamageTracker::Update DamageTracker::update(const std::shared_ptr<UIView>& root,
                                            CFAbsoluteTime now) {
    Update result;
    Walk walk{now,   std::floor(now * kMotionFramesPerSecond) / kMotionFramesPerSecond,
              {},    false,
              false, false};
    CGRect rootArea{{0, 0}, root ? root->bounds().size : CGSizeZero};
    if (root) {
        // The root draws at the origin whatever its frame says.
        Affine origin;
        origin.tx = -root->frame().origin.x;
        origin.ty = -root->frame().origin.y;
        visit(*root, origin, 1.0, {{-1e9, -1e9}, {2e9, 2e9}}, nullptr, 0, walk);
    }
    if (!m_valid) {
        if (!CGRectIsEmpty(rootArea))
            result.rects.push_back(rootArea);
    } else {
        for (const auto& [view, item] : walk.items) {
            auto previous = m_items.find(view);
            if (previous != m_items.end()) {
                const Item& before = previous->second;
                // Only time moved a text along its line: that line is new.
                if (before.state != item.state && before.stillState == item.stillState &&
                    !CGRectIsEmpty(item.motion) && sameRect(before.rect, item.rect) &&
                    sameRect(before.motion, item.motion)) {
                    result.rects.push_back(item.motion);
                    m_items.erase(previous);
                    continue;
                }
                if (before.state == item.state && sameRect(before.rect, item.rect)) {
                    if (before.contents != item.contents && before.contents && item.contents) {
                        for (const CGRect& changed :
                             changedPixels(*before.contents, *item.contents))
                            result.rects.push_back(contentsDamage(item, changed));
                    }
                    m_items.erase(previous);
                    continue;
                }
                result.rects.push_back(before.rect);
                m_items.erase(previous);
            }
            result.rects.push_back(item.rect);
        }
        // What is left was drawn last time and is gone now.
        for (const auto& [view, item] : m_items)
            result.rects.push_back(item.rect);
    }
    // Measurements of labels no longer shown are dropped with them.
    for (auto it = m_measures.begin(); it != m_measures.end();) {
        if (walk.items.count(it->first))
            ++it;
        else
            it = m_measures.erase(it);
    }
    m_items = std::move(walk.items);
    m_valid = true;
    for (CGRect& rect : result.rects)
        rect = CGRectIntersection(rect, rootArea);
    result.rects.erase(std::remove_if(result.rects.begin(), result.rects.end(),
                                      [](CGRect rect) { return CGRectIsEmpty(rect); }),
                       result.rects.end());
    result.rects = coalesce(std::move(result.rects));
    result.animating = walk.animating;
    result.onlyTextScrolls = walk.scrollingText && !walk.otherMotion;
    return result;
}

CGRect DamageTracker::contentsDamage(const Item& item, CGRect pixels) {
    // The contents are stretched over the bounds, as the renderer draws them.
    double sx = item.bounds.size.width / static_cast<double>(item.contents->width());
    double sy = item.bounds.size.height / static_cast<double>(item.contents->height());
    CGRect local{
        {item.bounds.origin.x + pixels.origin.x * sx, item.bounds.origin.y + pixels.origin.y * sy},
        {pixels.size.width * sx, pixels.size.height * sy}};
    return CGRectIntersection(item.transform.boundingBox(local), item.clip);
}

std::vector<CGRect> DamageTracker::changedPixels(const CGImage& before, const CGImage& after) {
    // Differences are gathered in bands of rows, and in each band into runs
    // of columns that lie closer than a gap.
    constexpr size_t kBandRows = 16;
    constexpr size_t kGap = 16;
    const size_t width = after.width(), height = after.height();
    if (before.width() != width || before.height() != height ||
        before.isOpaque() != after.isOpaque())
        return {CGRect{{0, 0}, {double(width), double(height)}}};
    auto a = before.bytes();
    auto b = after.bytes();
    const size_t rowBytes = width * 4;
    std::vector<CGRect> boxes;
    std::vector<char> changedColumns(width);
    for (size_t band = 0; band < height; band += kBandRows) {
        const size_t bandEnd = std::min(height, band + kBandRows);
        size_t top = bandEnd, bottom = 0;
        for (size_t y = band; y < bandEnd; ++y) {
            const std::uint8_t* rowA = a.data() + y * before.bytesPerRow();
            const std::uint8_t* rowB = b.data() + y * after.bytesPerRow();
            if (std::memcmp(rowA, rowB, rowBytes) == 0)
                continue;
            if (top == bandEnd)
                std::fill(changedColumns.begin(), changedColumns.end(), 0);
            top = std::min(top, y);
            bottom = y;
            for (size_t x = 0; x < width; ++x) {
                std::uint32_t pixelA, pixelB;
                std::memcpy(&pixelA, rowA + x * 4, 4);
                std::memcpy(&pixelB, rowB + x * 4, 4);
                changedColumns[x] |= pixelA != pixelB;
            }
        }
        if (top == bandEnd)
            continue;
        const CGFloat rows = double(bottom - top + 1);
        size_t x = 0;
        while (x < width) {
            while (x < width && !changedColumns[x])
                ++x;
            if (x == width)
                break;
            size_t left = x, right = x;
            for (size_t gap = 0; x < width && gap < kGap; ++x) {
                if (changedColumns[x]) {
                    right = x;
                    gap = 0;
                } else {
                    ++gap;
                }
            }
            boxes.push_back({{double(left), double(top)}, {double(right - left + 1), rows}});
            x = right + 1;
        }
    }
    return boxes;
}

std::vector<CGRect> DamageTracker::coalesce(std::vector<CGRect> rects, size_t maximumCount) {
    bool merged = true;
    while (merged) {
        merged = false;
        for (size_t i = 0; i < rects.size() && !merged; ++i) {
            for (size_t j = i + 1; j < rects.size(); ++j) {
                if (touches(rects[i], rects[j])) {
                    rects[i] = unionRect(rects[i], rects[j]);
                    rects.erase(rects.begin() + static_cast<long>(j));
                    merged = true;
                    break;
                }
            }
        }
    }
    if (rects.size() > maximumCount) {
        CGRect all = rects.front();
        for (const CGRect& rect : rects)
            all = unionRect(all, rect);
        rects = {all};
    }
    return rects;
}
