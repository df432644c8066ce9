#pragma once

#include "platform/graphics/CGColor.h"
#include "platform/graphics/CGImage.h"
#include "platform/objc/NSObject.h"
#include "platform/quartzcore/CABasicAnimation.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A cross-fade between two contents of a view, as the view transition draws
// it: the old picture fades out while the new one fades in. The old picture
// is held as the platform's layers hold contents, an object of a kind only
// the drawing above knows.
struct CATransition {
    CFAbsoluteTime beginTime = 0;
    CFTimeInterval duration = 0;
    id previousImage;
    bool hadPreviousImage = false;
};

// The drawing side of a view: its border and rounded corners, the bitmap its
// drawRect: last produced, and the animations running on it.
class CALayer : public NSObject {
public:
    static std::shared_ptr<CALayer> layer();

    CGFloat cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(CGFloat radius) { m_cornerRadius = radius; }
    CGFloat borderWidth() const { return m_borderWidth; }
    void setBorderWidth(CGFloat width) { m_borderWidth = width; }
    const std::optional<CGColor>& borderColor() const { return m_borderColor; }
    void setBorderColor(std::optional<CGColor> color) { m_borderColor = std::move(color); }

    // Adds a copy of the animation, starting now unless it has a begin time,
    // in place of any animation under the same key.
    void addAnimation(const std::shared_ptr<CABasicAnimation>& animation, const std::string& key);
    std::shared_ptr<CABasicAnimation> animationForKey(const std::string& key) const;
    void removeAnimationForKey(const std::string& key);
    void removeAllAnimations();
    // The keys of the animations still running now; finished ones are removed.
    std::vector<std::string> animationKeys();
    const std::map<std::string, std::shared_ptr<CABasicAnimation>>& animations() const {
        return m_animations;
    }
    // The rotation drawn now, from a running "transform.rotation" animation.
    double presentationRotation(CFAbsoluteTime now) const;

    void setTransition(CATransition transition) { m_transition = std::move(transition); }
    const std::optional<CATransition>& transition() const { return m_transition; }
    void clearFinishedTransition(CFAbsoluteTime now);

    // What drawRect: drew last, at the screen's scale.
    const CGImageRef& contents() const { return m_contents; }
    void setContents(CGImageRef contents) { m_contents = std::move(contents); }

    std::string_view className() const override { return "CALayer"; }

protected:
    CALayer() = default;

private:
    void pruneFinished(CFAbsoluteTime now);

    CGFloat m_cornerRadius = 0;
    CGFloat m_borderWidth = 0;
    std::optional<CGColor> m_borderColor = CGColor{};
    std::map<std::string, std::shared_ptr<CABasicAnimation>> m_animations;
    std::optional<CATransition> m_transition;
    CGImageRef m_contents;
};
