#pragma once

#include "platform/uikit/UIControl.h"

#include <map>
#include <memory>

class UIImage;

enum class UIButtonType : long { Custom = 0, System = 1 };

// A button that shows an image for each control state; a state without an
// image of its own shows the normal one.
class UIButton : public UIControl {
public:
    static std::shared_ptr<UIButton> buttonWithType(UIButtonType type);

    UIButtonType buttonType() const { return m_type; }
    void setImage(const std::shared_ptr<UIImage>& image, UIControlState state);
    std::shared_ptr<UIImage> imageForState(UIControlState state) const;
    std::shared_ptr<UIImage> currentImage() const { return imageForState(state()); }
    const std::map<UIControlState, std::shared_ptr<UIImage>>& images() const { return m_images; }

    std::string_view className() const override { return "UIButton"; }

protected:
    UIButton() = default;

private:
    UIButtonType m_type = UIButtonType::Custom;
    std::map<UIControlState, std::shared_ptr<UIImage>> m_images;
};
