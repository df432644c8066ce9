#include "platform/uikit/UILabel.h"

#include "platform/foundation/NSRunLoop.h"

UILabel::UILabel() : m_font(UIFont::systemFontOfSize(17)) {
    setUserInteractionEnabled(false);
    setOpaque(false);
}

std::shared_ptr<UILabel> UILabel::create(CGRect frame) {
    return makeView<UILabel>(frame);
}

void UILabel::setText(std::optional<std::string> text) {
    if (text == m_text)
        return;
    m_text = std::move(text);
    // New text scrolls from its start.
    m_marqueeStart = NSRunLoop::mainRunLoop().now();
}

void UILabel::setMarqueeRunning(bool running) {
    if (running && !m_marqueeRunning)
        m_marqueeStart = NSRunLoop::mainRunLoop().now();
    m_marqueeRunning = running;
}
