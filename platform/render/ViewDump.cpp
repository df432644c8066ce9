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
            list.push_back(name);
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
    json["class"] = recognizer->className();
    json["state"] = stateName(recognizer->state());
    json["enabled"] = recognizer->isEnabled();
    if (auto press = std::dynamic_pointer_cast<UILongPressGestureRecognizer>(recognizer))
        json["minimumPressDuration"] = press->minimumPressDuration();
    if (auto pan = std::dynamic_pointer_cast<UIPanGestureRecognizer>(recognizer)) {
        json["minimumNumberOfTouches"] = pan->minimumNumberOfTouches();
        json["maximumNumberOfTouches"] = pan->maximumNumberOfTouches();
    }
    Json targets = Json::array();
    for (const auto& [target, action] : recognizer->targetActions()) {
        Json entry = Json::object();
        entry["target"] = target->className();
        entry["action"] = action;
        targets.push_back(std::move(entry));
    }
    json["targets"] = std::move(targets);
    return json;
}

Json layerJson(const std::shared_ptr<CALayer>& layer) {
    Json json = Json::object();
    json["cornerRadius"] = layer->cornerRadius();
    json["borderWidth"] = layer->borderWidth();
    json["borderColor"] = colorJson(layer->borderColor());
    Json animations = Json::array();
    for (const auto& key : layer->animationKeys()) {
        auto animation = layer->animationForKey(key);
        Json entry = Json::object();
        entry["key"] = key;
        entry["keyPath"] = animation->keyPath();
        entry["fromValue"] = animation->fromValue();
        entry["toValue"] = animation->toValue();
        entry["duration"] = animation->duration();
        entry["repeatCount"] = static_cast<double>(animation->repeatCount());
        entry["elapsed"] = NSRunLoop::mainRunLoop().now() - animation->beginTime();
        animations.push_back(std::move(entry));
    }
    json["animations"] = std::move(animations);
    layer->clearFinishedTransition(NSRunLoop::mainRunLoop().now());
    if (const auto& transition = layer->transition()) {
        Json entry = Json::object();
        entry["duration"] = transition->duration;
        entry["elapsed"] = NSRunLoop::mainRunLoop().now() - transition->beginTime;
        json["transition"] = std::move(entry);
    }
    return json;
}

} // namespace

Json ViewDump::dumpRect(double x, double y, double width, double height) {
    Json rect = Json::array();
    rect.push_back(x);
    rect.push_back(y);
    rect.push_back(width);
    rect.push_back(height);
    return rect;
}

Json ViewDump::dumpImage(const std::shared_ptr<UIImage>& image) {
    if (!image)
        return Json();
    Json json = Json::object();
    CGSize size = image->size();
    Json sizeJson = Json::array();
    sizeJson.push_back(size.width);
    sizeJson.push_back(size.height);
    json["size"] = std::move(sizeJson);
    json["scale"] = image->scale();
    json["hasBitmap"] = image->CGImage() != nullptr;
    json["hash"] = image->contentHash();
    return json;
}

Json ViewDump::dumpView(const std::shared_ptr<UIView>& view) {
    if (!view)
        return Json();
    Json json = Json::object();
    json["class"] = view->className();
    CGRect frame = view->frame();
    json["frame"] = dumpRect(frame.origin.x, frame.origin.y, frame.size.width, frame.size.height);
    json["hidden"] = view->isHidden();
    json["alpha"] = view->alpha();
    json["backgroundColor"] = colorJson(view->backgroundColor());
    json["opaque"] = view->isOpaque();
    json["clipsToBounds"] = view->clipsToBounds();
    json["userInteractionEnabled"] = view->isUserInteractionEnabled();
    json["autoresizingMask"] = view->autoresizingMask();
    if (auto controller = view->viewController())
        json["viewController"] = controller->className();

    if (auto label = std::dynamic_pointer_cast<UILabel>(view)) {
        json["text"] = label->text() ? Json(*label->text()) : Json();
        Json font = Json::object();
        font["family"] = label->font().familyName();
        font["size"] = label->font().pointSize();
        font["italic"] = label->font().isItalic();
        json["font"] = std::move(font);
        json["textColor"] = colorJson(label->textColor());
        json["textAlignment"] = static_cast<long>(label->textAlignment());
        json["marqueeEnabled"] = label->marqueeEnabled();
        json["marqueeRunning"] = label->marqueeRunning();
    }
    if (auto imageView = std::dynamic_pointer_cast<UIImageView>(view)) {
        json["image"] = dumpImage(imageView->image());
        json["contentMode"] = static_cast<long>(imageView->contentMode());
    }
    if (auto control = std::dynamic_pointer_cast<UIControl>(view)) {
        json["enabled"] = control->isEnabled();
        Json targets = Json::array();
        for (const auto& registration : control->registrations()) {
            Json entry = Json::object();
            auto target = registration.target.lock();
            entry["target"] = target ? Json(target->className()) : Json();
            entry["action"] = registration.action;
            entry["events"] = controlEventsJson(registration.events);
            entry["eventMask"] = registration.events;
            targets.push_back(std::move(entry));
        }
        json["targets"] = std::move(targets);
    }
    if (auto button = std::dynamic_pointer_cast<UIButton>(view)) {
        json["buttonType"] = static_cast<long>(button->buttonType());
        Json images = Json::object();
        for (const auto& [state, image] : button->images())
            images[std::to_string(state)] = dumpImage(image);
        json["images"] = std::move(images);
    }
    if (!view->gestureRecognizers().empty()) {
        Json recognizers = Json::array();
        for (const auto& recognizer : view->gestureRecognizers())
            recognizers.push_back(recognizerJson(recognizer));
        json["gestureRecognizers"] = std::move(recognizers);
    }
    json["layer"] = layerJson(view->layer());
    Json subviews = Json::array();
    for (const auto& subview : view->subviews())
        subviews.push_back(dumpView(subview));
    json["subviews"] = std::move(subviews);
    return json;
}
