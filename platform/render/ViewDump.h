#pragma once

#include "platform/render/DumpJson.h"

#include <functional>
#include <memory>
#include <string>

class UIView;
class UIImage;

// Turns a live view tree into JSON: every view's class, frame and state and
// what its kind adds (texts, fonts, colours, images, targets, recognisers,
// running animations). Hosts add sections of their own next to the tree.
class ViewDump {
public:
    static Json dumpView(const std::shared_ptr<UIView>& view);
    static Json dumpImage(const std::shared_ptr<UIImage>& image);
    static Json dumpRect(double x, double y, double width, double height);
};
