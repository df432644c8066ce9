#include "platform/uikit/UIBarButtonItem.h"

UIBarButtonItem::UIBarButtonItem(std::string title, UIBarButtonItemStyle style, const id& target,
                                 SEL action)
    : m_title(std::move(title)), m_style(style), m_target(target), m_action(std::move(action)) {}

std::shared_ptr<UIBarButtonItem> UIBarButtonItem::create(std::string title,
                                                         UIBarButtonItemStyle style,
                                                         const id& target, SEL action) {
    return makeObject<UIBarButtonItem>(std::move(title), style, target, std::move(action));
}

void UIBarButtonItem::sendAction() {
    objc_sendAction(target(), m_action, shared_from_this());
}
