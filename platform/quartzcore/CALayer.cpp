#include "platform/quartzcore/CALayer.h"

#include "platform/foundation/NSRunLoop.h"

std::shared_ptr<CALayer> CALayer::layer() { return makeObject<CALayer>(); }

void CALayer::addAnimation(const std::shared_ptr<CABasicAnimation>& animation,
                           const std::string& key) {
    if (!animation)
        return;
    auto running = animation->copy();
    if (running->beginTime() == 0)
        running->setBeginTime(NSRunLoop::mainRunLoop().now());
    m_animations[key] = std::move(running);
}

std::shared_ptr<CABasicAnimation> CALayer::animationForKey(const std::string& key) const {
    auto found = m_animations.find(key);
    return found == m_animations.end() ? nullptr : found->second;
}

void CALayer::removeAnimationForKey(const std::string& key) { m_animations.erase(key); }

void CALayer::removeAllAnimations() { m_animations.clear(); }

void CALayer::pruneFinished(CFAbsoluteTime now) {
    std::erase_if(m_animations, [now](const auto& entry) { return entry.second->isFinished(now); });
}

std::vector<std::string> CALayer::animationKeys() {
    pruneFinished(NSRunLoop::mainRunLoop().now());
    std::vector<std::string> keys;
    for (const auto& entry : m_animations)
        keys.push_back(entry.first);
    return keys;
}

double CALayer::presentationRotation(CFAbsoluteTime now) const {
    double rotation = 0;
    for (const auto& [key, animation] : m_animations) {
        if (animation->keyPath() == "transform.rotation" ||
            animation->keyPath() == "transform.rotation.z") {
            if (!animation->isFinished(now) && now >= animation->beginTime())
                rotation += animation->valueAt(now);
        }
    }
    return rotation;
}

void CALayer::clearFinishedTransition(CFAbsoluteTime now) {
    if (m_transition && now >= m_transition->beginTime + m_transition->duration)
        m_transition.reset();
}
