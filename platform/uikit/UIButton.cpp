#include "platform/uikit/UIButton.h"

#include "platform/uikit/UIImage.h"

std::shared_ptr<UIButton> UIButton::buttonWithType(UIButtonType type) {
    auto button = makeView<UIButton>();
    button->m_type = type;
    return button;
}

void UIButton::setImage(const std::shared_ptr<UIImage>& image, UIControlState state) {
    if (image)
        m_images[state] = image;
    else
        m_images.erase(state);
}

std::shared_ptr<UIImage> UIButton::imageForState(UIControlState state) const {
    auto found = m_images.find(state);
    if (found != m_images.end())
        return found->second;
    found = m_images.find(UIControlStateNormal);
    return found == m_images.end() ? nullptr : found->second;
}
