#pragma once

#include "platform/corefoundation/Clock.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/CGImage.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class UILabel;
class UIView;

// Remembers how every visible view of a tree looked when a window last drew
// it, and answers which parts of the root must be drawn again: a view whose
// drawing inputs changed damages where it was and where it is now. Views
// that change with time (rotations, cross-fades, scrolling text) damage
// their area at every update while they run.
class DamageTracker {
public:
    struct Update {
        // In root points; empty when the picture would come out the same.
        std::vector<CGRect> rects;
        // Something moves with time, so another frame is due soon.
        bool animating = false;
        // A scrolling text is the only thing moving; it can do with fewer frames.
        bool onlyTextScrolls = false;
    };

    // Compares the tree as it is at the moment now with the last update.
    Update update(const std::shared_ptr<UIView>& root, CFAbsoluteTime now);
    // The next update damages the whole root, as after a window resize.
    void invalidate() { m_items.clear(), m_valid = false; }

    // The parts of a picture whose pixels differ between two versions, in its
    // own pixels: boxes around differences near each other, so that a ring
    // whose two ends moved damages two small boxes, not the whole ring. None
    // when they are the same; pictures of different sizes differ everywhere.
    static std::vector<CGRect> changedPixels(const CGImage& before, const CGImage& after);

    // Merges overlapping or touching rectangles until none overlap, and all
    // of them into one past a handful: one larger redraw costs less than many
    // small ones.
    static std::vector<CGRect> coalesce(std::vector<CGRect> rects, size_t maximumCount = 8);

private:
    struct Affine {
        double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
        CGPoint apply(CGPoint p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
        Affine then(const Affine& next) const;
        CGRect boundingBox(CGRect rect) const;
    };
    struct Item {
        CGRect rect;
        std::uint64_t state;
        // What a custom-drawn view drew, compared pixel by pixel: a slider
        // that redraws the same ring, or one whose thumb moved a little,
        // damages only what differs.
        CGImageRef contents;
        Affine transform;
        CGRect bounds;
        CGRect clip;
        // For a view that changes with time: its state without the time, and
        // the only part that time changes (a scrolling text's line, not the
        // whole label).
        std::uint64_t stillState = 0;
        CGRect motion = CGRectZero;
    };
    struct Walk {
        CFAbsoluteTime now;
        // The moment of the frame that now falls in.
        CFAbsoluteTime frameTime;
        std::unordered_map<const UIView*, Item> items;
        bool animating = false;
        bool scrollingText = false;
        bool otherMotion = false;
    };

    void visit(const UIView& view, const Affine& parent, double parentAlpha, CGRect clip,
               const UIView* superview, size_t index, Walk& walk);
    bool textOverflows(const UILabel& label);
    static CGRect contentsDamage(const Item& item, CGRect pixels);

    struct TextMeasure {
        std::string text;
        std::uint64_t font = 0;
        double width = 0;
        double height = 0;
    };

    std::unordered_map<const UIView*, Item> m_items;
    std::unordered_map<const UIView*, TextMeasure> m_measures;
    bool m_valid = false;
};
