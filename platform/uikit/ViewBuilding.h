#pragma once

#include "platform/uikit/UILabel.h"

#include <memory>
#include <string>

// The pieces the stand-ins' own screens (settings rows and bars, the mail
// sheet) are built from, so each looks the same wherever it is drawn.

// Adds a label of one line with the text, font, colour and alignment.
std::shared_ptr<UILabel> addLabel(UIView& parent, const std::string& text, CGRect frame,
                                  const UIFont& font, const UIColor& color,
                                  NSTextAlignment alignment = NSTextAlignment::Left);

constexpr CGFloat kHairlineHeight = 0.5;

// Adds a separator kHairlineHeight high and `width` long, from (x, y).
std::shared_ptr<UIView> addHairline(UIView& parent, CGFloat x, CGFloat y, CGFloat width,
                                    const UIColor& color);
