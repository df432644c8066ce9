#pragma once

#include "platform/corefoundation/Clock.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIView.h"

#include <optional>
#include <string>

enum class NSTextAlignment : long { Left = 0, Center = 1, Right = 2 };

// One line of text. With the marquee enabled and running, text wider than
// the label scrolls sideways instead of being cut off.
class UILabel : public UIView {
public:
    static std::shared_ptr<UILabel> create(CGRect frame = CGRectZero);

    const std::optional<std::string>& text() const { return m_text; }
    void setText(std::optional<std::string> text);
    const UIFont& font() const { return m_font; }
    void setFont(const UIFont& font) { m_font = font; }
    const UIColor& textColor() const { return m_textColor; }
    void setTextColor(const UIColorRef& color) {
        m_textColor = color.value_or(UIColor::blackColor());
    }
    NSTextAlignment textAlignment() const { return m_alignment; }
    void setTextAlignment(NSTextAlignment alignment) { m_alignment = alignment; }

    bool marqueeEnabled() const { return m_marqueeEnabled; }
    void setMarqueeEnabled(bool enabled) { m_marqueeEnabled = enabled; }
    bool marqueeRunning() const { return m_marqueeRunning; }
    void setMarqueeRunning(bool running);
    // When the marquee started scrolling the current text.
    CFAbsoluteTime marqueeStartTime() const { return m_marqueeStart; }

    std::string_view className() const override { return "UILabel"; }

protected:
    UILabel();

private:
    std::optional<std::string> m_text;
    UIFont m_font;
    UIColor m_textColor = UIColor::blackColor();
    NSTextAlignment m_alignment = NSTextAlignment::Left;
    bool m_marqueeEnabled = false;
    bool m_marqueeRunning = false;
    CFAbsoluteTime m_marqueeStart = 0;
};
