#pragma once

#include "platform/corefoundation/CFPropertyList.h"
#include "platform/uikit/UIView.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class PSSpecifier;

// The view of one row, drawn like the Settings app's: a title on the left
// and, by kind, a switch, a slider with its number, a field's text, the
// chosen title or a chevron on the right. A cell shows the value it was
// given when made (or last changed through it); it reads nothing itself.
class PSTableCell : public UIView {
public:
    static constexpr CGFloat kRowHeight = 44;
    static constexpr CGFloat kMessageLineHeight = 16;
    static constexpr CGFloat kInset = 16;

    static std::shared_ptr<PSTableCell> create(const std::shared_ptr<PSSpecifier>& specifier,
                                               std::optional<CFPropertyList> stored, CGFloat width);

    const std::shared_ptr<PSSpecifier>& specifier() const { return m_specifier; }
    // The stored value the cell was made with (nothing when the key was absent).
    const std::optional<CFPropertyList>& storedValue() const { return m_stored; }
    void setStoredValue(std::optional<CFPropertyList> stored);
    // What the row shows: the stored value, else its default.
    std::optional<CFPropertyList> shownValue() const;
    std::string valueText() const;
    bool isOn() const;

    // A list choice's check mark.
    bool isChecked() const { return m_checked; }
    void setChecked(bool checked);

    // The reason the row refused its last input, shown under it until the
    // next input it takes.
    const std::string& message() const { return m_message; }
    void setMessage(std::string message);

    CGFloat height() const;

    // A text row being typed into shows the typed text, with a caret after
    // it, in place of its value; nothing ends the editing.
    void setEditingText(std::optional<std::string> text);
    const std::optional<std::string>& editingText() const { return m_editingText; }

    // For a slider row: the value a finger at x (in the cell's points) sets,
    // along the track and within the row's range, in whole steps where the
    // range is in whole numbers; nothing for other rows.
    std::optional<double> sliderValueAtX(CGFloat x) const;
    // Whether x is on a slider row's knob, or near enough to pick it up; a
    // finger elsewhere on the row leaves the value alone (and may scroll).
    bool isOnSliderKnob(CGFloat x) const;

    std::string_view className() const override { return "PSTableCell"; }

protected:
    PSTableCell(std::shared_ptr<PSSpecifier> specifier, std::optional<CFPropertyList> stored,
                CGFloat width);

private:
    void rebuild();
    void addSwitch(bool on);
    void addSlider(CGFloat titleWidth);

    std::shared_ptr<PSSpecifier> m_specifier;
    std::optional<CFPropertyList> m_stored;
    CGFloat m_width;
    bool m_checked = false;
    // Where a slider row's knob runs, when it has room to.
    CGFloat m_trackStart = 0;
    CGFloat m_trackEnd = 0;
    CGFloat m_knobX = 0;
    std::string m_message;
    std::vector<std::string> m_messageLines;
    std::optional<std::string> m_editingText;
};
