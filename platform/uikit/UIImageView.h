#pragma once

#include "platform/uikit/UIView.h"

#include <memory>

class UIImage;

// Shows an image, fitted to its bounds by its content mode.
class UIImageView : public UIView {
public:
    static std::shared_ptr<UIImageView> create(CGRect frame = CGRectZero);
    static std::shared_ptr<UIImageView> createWithImage(const std::shared_ptr<UIImage>& image);

    const std::shared_ptr<UIImage>& image() const { return m_image; }
    void setImage(const std::shared_ptr<UIImage>& image) { m_image = image; }

    std::string_view className() const override { return "UIImageView"; }

protected:
    UIImageView();
    std::shared_ptr<UIImage> transitionSnapshotImage() const override { return m_image; }

private:
    std::shared_ptr<UIImage> m_image;
};
