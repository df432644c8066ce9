#include "platform/uikit/UIAlertView.h"

#include "platform/uikit/TextLines.h"
#include "platform/uikit/UILabel.h"

#include <algorithm>
#include <cmath>

namespace {

std::vector<std::shared_ptr<UIAlertView>>& shownAlerts() {
    static std::vector<std::shared_ptr<UIAlertView>> alerts;
    return alerts;
}

const UIColor kSystemBlue = UIColor::colorWithRed(0, 122 / 255.0, 1, 1);
const UIColor kSeparator = UIColor::colorWithWhite(0.8, 1);

constexpr CGFloat kPadding = 16;
constexpr CGFloat kButtonHeight = 44;

std::shared_ptr<UILabel> makeLabel(const std::string& text, const UIFont& font, CGRect frame,
                                   const UIColor& color) {
    auto label = UILabel::create(frame);
    label->setText(text);
    label->setFont(font);
    label->setTextColor(color);
    label->setTextAlignment(NSTextAlignment::Center);
    return label;
}

} // namespace

UIAlertView::UIAlertView(std::optional<std::string> title, std::optional<std::string> message,
                         const id& delegate, std::optional<std::string> cancelButtonTitle,
                         std::vector<std::string> otherButtonTitles)
    : m_title(std::move(title)), m_message(std::move(message)), m_delegate(delegate) {
    if (cancelButtonTitle) {
        m_cancelButtonIndex = 0;
        m_buttons.push_back(std::move(*cancelButtonTitle));
    }
    for (auto& button : otherButtonTitles)
        m_buttons.push_back(std::move(button));
}

std::shared_ptr<UIAlertView> UIAlertView::create(std::optional<std::string> title,
                                                 std::optional<std::string> message,
                                                 const id& delegate,
                                                 std::optional<std::string> cancelButtonTitle,
                                                 std::vector<std::string> otherButtonTitles) {
    auto alert =
        makeObject<UIAlertView>(std::move(title), std::move(message), delegate,
                                std::move(cancelButtonTitle), std::move(otherButtonTitles));
    alert->initWithFrame(CGRectZero);
    return alert;
}

std::optional<std::string> UIAlertView::buttonTitleAtIndex(long index) const {
    if (index < 0 || index >= numberOfButtons())
        return std::nullopt;
    return m_buttons[static_cast<size_t>(index)];
}

void UIAlertView::show() {
    auto& alerts = shownAlerts();
    auto self = std::static_pointer_cast<UIAlertView>(shared_from_this());
    if (std::find(alerts.begin(), alerts.end(), self) == alerts.end())
        alerts.push_back(self);
}

bool UIAlertView::isVisible() const {
    const auto& alerts = shownAlerts();
    return std::any_of(alerts.begin(), alerts.end(),
                       [this](const auto& alert) { return alert.get() == this; });
}

void UIAlertView::clickButtonAtIndex(long index) {
    if (index < 0 || index >= numberOfButtons())
        return;
    // Kept alive through the delegate's call, which may drop its own reference.
    auto self = std::static_pointer_cast<UIAlertView>(shared_from_this());
    id target = delegate();
    if (target && target->respondsToSelector("alertView:clickedButtonAtIndex:"))
        objc_msgSend<void, id, long>(target, "alertView:clickedButtonAtIndex:", self, index);
    dismissWithClickedButtonIndex(index, true);
}

void UIAlertView::dismissWithClickedButtonIndex(long, bool) {
    auto& alerts = shownAlerts();
    alerts.erase(std::remove_if(alerts.begin(), alerts.end(),
                                [this](const auto& alert) { return alert.get() == this; }),
                 alerts.end());
}

std::vector<std::shared_ptr<UIAlertView>> UIAlertView::visibleAlerts() {
    return shownAlerts();
}

std::shared_ptr<UIAlertView> UIAlertView::visibleAlert() {
    const auto& alerts = shownAlerts();
    return alerts.empty() ? nullptr : alerts.back();
}

void UIAlertView::dismissAllForTesting() {
    shownAlerts().clear();
}

void UIAlertView::layoutInScreen(CGRect screen) {
    while (!subviews().empty())
        subviews().back()->removeFromSuperview();
    m_buttonFrames.assign(m_buttons.size(), CGRectZero);
    setBackgroundColor(UIColor::colorWithWhite(0.97, 1));
    layer()->setCornerRadius(13);
    setClipsToBounds(true);

    const CGFloat textWidth = kWidth - 2 * kPadding;
    CGFloat y = kPadding + 4;
    UIFont titleFont = UIFont::boldSystemFontOfSize(17);
    UIFont messageFont = UIFont::systemFontOfSize(13);
    if (m_title && !m_title->empty()) {
        for (const auto& line : TextLines::wrap(*m_title, titleFont, textWidth)) {
            CGFloat height = std::ceil(TextLines::lineHeight(titleFont));
            addSubview(makeLabel(line, titleFont, {{kPadding, y}, {textWidth, height}},
                                 UIColor::blackColor()));
            y += height;
        }
        y += 4;
    }
    if (m_message && !m_message->empty()) {
        for (const auto& line : TextLines::wrap(*m_message, messageFont, textWidth)) {
            CGFloat height = std::ceil(TextLines::lineHeight(messageFont));
            addSubview(makeLabel(line, messageFont, {{kPadding, y}, {textWidth, height}},
                                 UIColor::blackColor()));
            y += height;
        }
    }
    y += kPadding + 4;

    // Two buttons sit side by side; one or more than two are stacked.
    auto separator = [&](CGRect frame) {
        auto line = UIView::create(frame);
        line->setBackgroundColor(kSeparator);
        addSubview(line);
    };
    auto buttonLabel = [&](long index, CGRect frame) {
        UIFont font = index == m_cancelButtonIndex ? UIFont::boldSystemFontOfSize(17)
                                                   : UIFont::systemFontOfSize(17);
        auto label = makeLabel(m_buttons[static_cast<size_t>(index)], font, frame, kSystemBlue);
        label->setTag(index);
        addSubview(label);
        m_buttonFrames[static_cast<size_t>(index)] = frame;
    };
    if (m_buttons.size() == 2) {
        separator({{0, y}, {kWidth, 0.5}});
        buttonLabel(0, {{0, y}, {kWidth / 2, kButtonHeight}});
        separator({{kWidth / 2, y}, {0.5, kButtonHeight}});
        buttonLabel(1, {{kWidth / 2, y}, {kWidth / 2, kButtonHeight}});
        y += kButtonHeight;
    } else {
        for (long index = 0; index < numberOfButtons(); ++index) {
            separator({{0, y}, {kWidth, 0.5}});
            buttonLabel(index, {{0, y}, {kWidth, kButtonHeight}});
            y += kButtonHeight;
        }
    }
    setFrame({{screen.origin.x + (screen.size.width - kWidth) / 2,
               screen.origin.y + (screen.size.height - y) / 2},
              {kWidth, y}});
}

std::optional<long> UIAlertView::buttonIndexAtPoint(CGPoint point) const {
    for (size_t index = 0; index < m_buttonFrames.size(); ++index) {
        if (CGRectContainsPoint(m_buttonFrames[index], point))
            return static_cast<long>(index);
    }
    return std::nullopt;
}
