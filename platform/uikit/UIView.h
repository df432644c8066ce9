#pragma once

#include "platform/graphics/CGGeometry.h"
#include "platform/quartzcore/CALayer.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIResponder.h"

#include <functional>
#include <memory>
#include <vector>

class UIGestureRecognizer;
class UIImage;
class UIViewController;
class UIWindow;
class CGContext;

enum UIViewAutoresizing : unsigned long {
    UIViewAutoresizingNone = 0,
    UIViewAutoresizingFlexibleLeftMargin = 1 << 0,
    UIViewAutoresizingFlexibleWidth = 1 << 1,
    UIViewAutoresizingFlexibleRightMargin = 1 << 2,
    UIViewAutoresizingFlexibleTopMargin = 1 << 3,
    UIViewAutoresizingFlexibleHeight = 1 << 4,
    UIViewAutoresizingFlexibleBottomMargin = 1 << 5,
};

enum class UIViewContentMode : long {
    ScaleToFill = 0,
    ScaleAspectFit = 1,
    ScaleAspectFill = 2,
    Redraw = 3,
    Center = 4,
};

// UIViewAnimationOptionTransitionCrossDissolve and friends.
using UIViewAnimationOptions = unsigned long;
constexpr UIViewAnimationOptions UIViewAnimationOptionTransitionCrossDissolve = 0x500000;

// A rectangle on screen with subviews. Views are made by create() and then
// initialised with initWithFrame(), so subclasses can wire themselves with
// weak_from_this() once they exist.
class UIView : public UIResponder {
public:
    static std::shared_ptr<UIView> create(CGRect frame = CGRectZero);

    // -initWithFrame: answers the view, or nothing when it fails.
    virtual std::shared_ptr<UIView> initWithFrame(CGRect frame);

    CGRect frame() const;
    virtual void setFrame(CGRect frame);
    CGRect bounds() const { return m_bounds; }
    void setBounds(CGRect bounds);
    CGPoint center() const { return m_center; }
    void setCenter(CGPoint center) { m_center = center; }

    std::shared_ptr<UIView> superview() const { return m_superview.lock(); }
    const std::vector<std::shared_ptr<UIView>>& subviews() const { return m_subviews; }
    void addSubview(const std::shared_ptr<UIView>& view);
    void insertSubviewAtIndex(const std::shared_ptr<UIView>& view, long index);
    void removeFromSuperview();
    bool isDescendantOfView(const std::shared_ptr<UIView>& view) const;
    std::shared_ptr<UIWindow> window() const;

    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden) { m_hidden = hidden; }
    CGFloat alpha() const { return m_alpha; }
    void setAlpha(CGFloat alpha) { m_alpha = alpha; }
    const UIColorRef& backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(UIColorRef color) { m_backgroundColor = std::move(color); }
    bool isOpaque() const { return m_opaque; }
    void setOpaque(bool opaque) { m_opaque = opaque; }
    bool clipsToBounds() const { return m_clipsToBounds; }
    void setClipsToBounds(bool clips) { m_clipsToBounds = clips; }
    bool isUserInteractionEnabled() const { return m_userInteractionEnabled; }
    virtual void setUserInteractionEnabled(bool enabled) { m_userInteractionEnabled = enabled; }
    unsigned long autoresizingMask() const { return m_autoresizingMask; }
    void setAutoresizingMask(unsigned long mask) { m_autoresizingMask = mask; }
    UIViewContentMode contentMode() const { return m_contentMode; }
    void setContentMode(UIViewContentMode mode) { m_contentMode = mode; }
    long tag() const { return m_tag; }
    void setTag(long tag) { m_tag = tag; }

    const std::shared_ptr<CALayer>& layer() const { return m_layer; }

    void addGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer);
    void removeGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer);
    const std::vector<std::shared_ptr<UIGestureRecognizer>>& gestureRecognizers() const {
        return m_recognizers;
    }

    // Custom drawing: drawRect: runs in the display pass after setNeedsDisplay,
    // into a bitmap the layer keeps. Views without drawing of their own are
    // drawn by the renderer from their properties.
    void setNeedsDisplay();
    bool needsDisplay() const { return m_needsDisplay; }
    void displayIfNeeded();
    virtual bool drawsContent() const { return false; }
    virtual void drawRect(CGRect rect);
    // The bitmaps are made at the screen's scale. A host that shows the
    // screen at another size (a desktop window) has them made at its own, so
    // that each frame copies them rather than resamples, and marks the views
    // of its tree that draw to be drawn again. 0 is the screen's scale.
    static void setContentsScale(CGFloat scale);
    static CGFloat contentsScale();
    // Automatic: a display pass follows every change, as on a screen that
    // shows each frame. OnDemand: views wait until something looks at what
    // they drew (a picture, a window frame, a dump of the thumb box, a
    // touch), which then calls displayPendingViews(); a host that nobody
    // watches draws nothing however often the ring ticks.
    enum class DisplayPasses { Automatic, OnDemand };
    static void setDisplayPasses(DisplayPasses passes);
    // Draws every view that waits, when views wait; with automatic passes
    // the run loop's pass does that and this does nothing.
    static void displayPendingViews();
    // How many times views have drawn themselves in this process, for dumps.
    static long drawCount();

    // Hit testing and coordinates.
    virtual std::shared_ptr<UIView> hitTest(CGPoint point, const std::shared_ptr<UIEvent>& event);
    virtual bool pointInside(CGPoint point, const std::shared_ptr<UIEvent>& event) const;
    // Converts between this view and another in the same window; nothing
    // means the window (the screen).
    CGPoint convertPointToView(CGPoint point, const std::shared_ptr<UIView>& view) const;
    CGPoint convertPointFromView(CGPoint point, const std::shared_ptr<UIView>& view) const;
    CGRect convertRectToView(CGRect rect, const std::shared_ptr<UIView>& view) const;

    // The controller whose view this is, if any; it comes next in the chain.
    void setViewController(const std::shared_ptr<UIViewController>& controller);
    std::shared_ptr<UIViewController> viewController() const { return m_controller.lock(); }
    std::shared_ptr<UIResponder> nextResponder() const override;

    // +transitionWithView:duration:options:animations:completion: with the
    // cross-dissolve: the change made in the block fades in over the span.
    static void transitionWithView(const std::shared_ptr<UIView>& view, double duration,
                                   UIViewAnimationOptions options,
                                   const std::function<void()>& animations,
                                   const std::function<void(bool)>& completion);

    std::string_view className() const override { return "UIView"; }

protected:
    UIView();

    // The previous image a cross-fade starts from; image views answer theirs.
    virtual std::shared_ptr<UIImage> transitionSnapshotImage() const { return nullptr; }

private:
    CGPoint originInWindow() const;
    void resizeSubviews(CGSize oldSize);
    void autoresize(CGSize oldSuperSize, CGSize newSuperSize);
    static void scheduleDisplayPass();
    static void runDisplayPass();

    CGPoint m_center;
    CGRect m_bounds;
    std::weak_ptr<UIView> m_superview;
    std::vector<std::shared_ptr<UIView>> m_subviews;
    std::weak_ptr<UIViewController> m_controller;
    bool m_hidden = false;
    CGFloat m_alpha = 1;
    UIColorRef m_backgroundColor;
    bool m_opaque = true;
    bool m_clipsToBounds = false;
    bool m_userInteractionEnabled = true;
    unsigned long m_autoresizingMask = UIViewAutoresizingNone;
    UIViewContentMode m_contentMode = UIViewContentMode::ScaleToFill;
    long m_tag = 0;
    bool m_needsDisplay = false;
    std::shared_ptr<CALayer> m_layer;
    std::vector<std::shared_ptr<UIGestureRecognizer>> m_recognizers;
};

// Makes a view of type T and runs its initialiser, as [[T alloc] initWithFrame:].
template <class T>
std::shared_ptr<T> makeView(CGRect frame = CGRectZero) {
    auto view = makeObject<T>();
    return std::static_pointer_cast<T>(view->initWithFrame(frame));
}
