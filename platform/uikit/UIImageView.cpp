#include "platform/uikit/UIImageView.h"

#include "platform/uikit/UIImage.h"

UIImageView::UIImageView() {
    // Image views let touches through to what lies behind them.
    setUserInteractionEnabled(false);
}

std::shared_ptr<UIImageView> UIImageView::create(CGRect frame) {
    return makeView<UIImageView>(frame);
}

std::shared_ptr<UIImageView> UIImageView::createWithImage(const std::shared_ptr<UIImage>& image) {
    auto view = makeView<UIImageView>(image ? CGRect{{0, 0}, image->size()} : CGRectZero);
    view->setImage(image);
    return view;
}
