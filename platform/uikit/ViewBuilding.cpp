#include "platform/uikit/ViewBuilding.h"

std::shared_ptr<UILabel> addLabel(UIView& parent, const std::string& text, CGRect frame,
                                  const UIFont& font, const UIColor& color,
                                  NSTextAlignment alignment) {
    auto label = UILabel::create(frame);
    label->setText(text);
    label->setFont(font);
    label->setTextColor(color);
    label->setTextAlignment(alignment);
    parent.addSubview(label);
    return label;
}

std::shared_ptr<UIView> addHairline(UIView& parent, CGFloat x, CGFloat y, CGFloat width,
                                    const UIColor& color) {
    auto line = UIView::create({{x, y}, {width, kHairlineHeight}});
    line->setBackgroundColor(color);
    parent.addSubview(line);
    return line;
}
