#include "platform/render/ViewDump.h"

#include "platform/foundation/NSRunLoop.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UILongPressGestureRecognizer.h"
#include "platform/uikit/UIPanGestureRecognizer.h"
#include "platform/uikit/UIViewController.h"

namespace {

Json colorJson(const UIColorRef& color) {
    if (!color)
        return Json();
    return Json(color->hexString());
}

Json controlEventsJson(UIControlEvents events) {
    static const std::pair<UIControlEvents, const char*> names[] = {
        {UIControlEventTouchDown, "touchDown"},
        {UIControlEventTouchDownRepeat, "touchDownRepeat"},
        {UIControlEventTouchDragInside, "touchDragInside"},
        {UIControlEventTouchDragOutside, "touchDragOutside"},
        {UIControlEventTouchDragEnter, "touchDragEnter"},
        {UIControlEventTouchDragExit, "touchDragExit"},
        {UIControlEventTouchUpInside, "touchUpInside"},
        {UIControlEventTouchUpOutside, "touchUpOutside"},
        {UIControlEventTouchCancel, "touchCancel"},
        {UIControlEventValueChanged, "valueChanged"},
    };
    Json list = Json::array();
    for (const auto& [bit, name] : names) {
        if (events & bit)
            list.push(name);
    }
    return list;
}

const char* stateName(UIGestureRecognizerState state) {
    switch (state) {
    case UIGestureRecognizerState::Possible:
        return "possible";
    case UIGestureRecognizerState::Began:
        return "began";
    case UIGestureRecognizerState::Changed:
        return "changed";
    case UIGestureRecognizerState::Ended:
        return "ended";
    case UIGestureRecognizerState::Cancelled:
        return "cancelled";
    case UIGestureRecognizerState::Failed:
        return "failed";
    }
    return "unknown";
}

Json recognizerJson(const std::shared_ptr<UIGestureRecognizer>& recognizer) {
    Json json = Json::object();
    json.set("class", recognizer->className());
    json.set("state", stateName(recognizer->state()));
    json.set("enabled", recognizer->isEnabled());
    if (auto press = std::dynamic_pointer_cast<UILongPressGestureRecognizer>(recognizer))
        json.set("minimumPressDuration", press->minimumPressDuration());
    if (auto pan = std::dynamic_pointer_cast<UIPanGestureRecognizer>(recognizer)) {
        json.set("minimumNumberOfTouches", pan->minimumNumberOfTouches());
        json.set("maximumNumberOfTouches", pan->maximumNumberOfTouches());
    }
    Json targets = Json::array();
    for (const auto& [target, action] : recognizer->targetActions()) {
        Json entry = Json::object();
        entry.set("target", target->className());
        entry.set("action", action);
        targets.push(std::move(entry));
    }
    json.set("targets", std::move(targets));
    return json;
}

Json layerJson(const std::shared_ptr<CALayer>& layer) {
    Json json = Json::object();
    json.set("cornerRadius", layer->cornerRadius());
    json.set("borderWidth", layer->borderWidth());
    json.set("borderColor", colorJson(layer->borderColor()));
    Json animations = Json::array();
    for (const auto& key : layer->animationKeys()) {
        auto animation = layer->animationForKey(key);
        Json entry = Json::object();
        entry.set("key", key);
        entry.set("keyPath", animation->keyPath());
        entry.set("fromValue", animation->fromValue());
        entry.set("toValue", animation->toValue());
        entry.set("duration", animation->duration());
        entry.set("repeatCount", static_cast<double>(animation->repeatCount()));
        entry.set("elapsed", NSRunLoop::mainRunLoop().now() - animation->beginTime());
        animations.push(std::move(entry));
    }
    json.set("animations", std::move(animations));
    layer->clearFinishedTransition(NSRunLoop::mainRunLoop().now());
    if (const auto& transition = layer->transition()) {
        Json entry = Json::object();
        entry.set("duration", transition->duration);
        entry.set("elapsed", NSRunLoop::mainRunLoop().now() - transition->beginTime);
        json.set("transition", std::move(entry));
    }
    return json;
}

} // namespace

Json ViewDump::dumpRect(double x, double y, double width, double height) {
    Json rect = Json::array();
    rect.push(x);
    rect.push(y);
    rect.push(width);
    rect.push(height);
    return rect;
}

Json ViewDump::dumpImage(const std::shared_ptr<UIImage>& image) {
    if (!image)
        return Json();
    Json json = Json::object();
    CGSize size = image->size();
    Json sizeJson = Json::array();
    sizeJson.push(size.width);
    sizeJson.push(size.height);
    json.set("size", std::move(sizeJson));
    json.set("scale", image->scale());
    json.set("hasBitmap", image->CGImage() != nullptr);
    json.set("hash", image->contentHash());
    return json;
}

Json ViewDump::dumpView(const std::shared_ptr<UIView>& view) {
    if (!view)
        return Json();
    Json json = Json::object();
    json.set("class", view->className());
    CGRect frame = view->frame();
    json.set("frame",
             dumpRect(frame.origin.x, frame.origin.y, frame.size.width, frame.size.height));
    json.set("hidden", view->isHidden());
    json.set("alpha", view->alpha());
    json.set("backgroundColor", colorJson(view->backgroundColor()));
    json.set("opaque", view->isOpaque());
    json.set("clipsToBounds", view->clipsToBounds());
    json.set("userInteractionEnabled", view->isUserInteractionEnabled());
    json.set("autoresizingMask", view->autoresizingMask());
    if (auto controller = view->viewController())
        json.set("viewController", controller->className());

    if (auto label = std::dynamic_pointer_cast<UILabel>(view)) {
        json.set("text", label->text() ? Json(*label->text()) : Json());
        Json font = Json::object();
        font.set("family", label->font().familyName());
        font.set("size", label->font().pointSize());
        font.set("italic", label->font().isItalic());
        json.set("font", std::move(font));
        json.set("textColor", colorJson(label->textColor()));
        json.set("textAlignment", static_cast<long>(label->textAlignment()));
        json.set("marqueeEnabled", label->marqueeEnabled());
        json.set("marqueeRunning", label->marqueeRunning());
    }
    if (auto imageView = std::dynamic_pointer_cast<UIImageView>(view)) {
        json.set("image", dumpImage(imageView->image()));
        json.set("contentMode", static_cast<long>(imageView->contentMode()));
    }
    if (auto control = std::dynamic_pointer_cast<UIControl>(view)) {
        json.set("enabled", control->isEnabled());
        Json targets = Json::array();
        for (const auto& registration : control->registrations()) {
            Json entry = Json::object();
            auto target = registration.target.lock();
            entry.set("target", target ? Json(target->className()) : Json());
            entry.set("action", registration.action);
            entry.set("events", controlEventsJson(registration.events));
            entry.set("eventMask", registration.events);
            targets.push(std::move(entry));
        }
        json.set("targets", std::move(targets));
    }
    if (auto button = std::dynamic_pointer_cast<UIButton>(view)) {
        json.set("buttonType", static_cast<long>(button->buttonType()));
        Json images = Json::object();
        for (const auto& [state, image] : button->images())
            images.set(std::to_string(state), dumpImage(image));
        json.set("images", std::move(images));
    }
    if (!view->gestureRecognizers().empty()) {
        Json recognizers = Json::array();
        for (const auto& recognizer : view->gestureRecognizers())
            recognizers.push(recognizerJson(recognizer));
        json.set("gestureRecognizers", std::move(recognizers));
    }
    json.set("layer", layerJson(view->layer()));
    Json subviews = Json::array();
    for (const auto& subview : view->subviews())
        subviews.push(dumpView(subview));
    json.set("subviews", std::move(subviews));
    return json;
}
