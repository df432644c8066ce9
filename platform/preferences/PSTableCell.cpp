#include "platform/preferences/PSTableCell.h"

#include "platform/preferences/PSRowInput.h"
#include "platform/preferences/PSSpecifier.h"
#include "platform/uikit/TextLines.h"
#include "platform/uikit/ViewBuilding.h"

#include <algorithm>
#include <cmath>

namespace {

const UIColor kSystemBlue = UIColor::colorWithRed(0, 122 / 255.0, 1, 1);
const UIColor kSwitchGreen = UIColor::colorWithRed(76 / 255.0, 217 / 255.0, 100 / 255.0, 1);
const UIColor kSecondaryText = UIColor::colorWithRed(142 / 255.0, 142 / 255.0, 147 / 255.0, 1);
const UIColor kPlaceholder = UIColor::colorWithRed(199 / 255.0, 199 / 255.0, 205 / 255.0, 1);
const UIColor kTrack = UIColor::colorWithRed(183 / 255.0, 183 / 255.0, 183 / 255.0, 1);
const UIColor kWarning = UIColor::colorWithRed(1, 59 / 255.0, 48 / 255.0, 1);

constexpr CGFloat kSwitchWidth = 51;
constexpr CGFloat kSwitchHeight = 31;
constexpr CGFloat kKnob = 27;
constexpr CGFloat kSliderKnob = 28;
constexpr CGFloat kSliderValueWidth = 56;

std::shared_ptr<UIView> addRoundView(UIView& parent, CGRect frame, const UIColor& color) {
    auto view = UIView::create(frame);
    view->setBackgroundColor(color);
    view->layer()->setCornerRadius(std::min(frame.size.width, frame.size.height) / 2);
    view->setUserInteractionEnabled(false);
    parent.addSubview(view);
    return view;
}

} // namespace

PSTableCell::PSTableCell(std::shared_ptr<PSSpecifier> specifier,
                         std::optional<CFPropertyList> stored, CGFloat width)
    : m_specifier(std::move(specifier)), m_stored(std::move(stored)), m_width(width) {}

std::shared_ptr<PSTableCell> PSTableCell::create(const std::shared_ptr<PSSpecifier>& specifier,
                                                 std::optional<CFPropertyList> stored,
                                                 CGFloat width) {
    auto cell = makeObject<PSTableCell>(specifier, std::move(stored), width);
    cell->initWithFrame({{0, 0}, {width, kRowHeight}});
    cell->rebuild();
    return cell;
}

void PSTableCell::setStoredValue(std::optional<CFPropertyList> stored) {
    m_stored = std::move(stored);
    rebuild();
}

std::optional<CFPropertyList> PSTableCell::shownValue() const {
    return PSRowInput::shownValue(*m_specifier, m_stored);
}

std::string PSTableCell::valueText() const {
    if (m_specifier->cellType() == PSCellType::Switch)
        return isOn() ? "on" : "off";
    return PSRowInput::text(*m_specifier, shownValue());
}

bool PSTableCell::isOn() const {
    return PSRowInput::switchIsOn(*m_specifier, m_stored);
}

void PSTableCell::setChecked(bool checked) {
    m_checked = checked;
    rebuild();
}

void PSTableCell::setMessage(std::string message) {
    m_message = std::move(message);
    m_messageLines = TextLines::wrap(m_message, UIFont::systemFontOfSize(12), m_width - 2 * kInset);
    rebuild();
}

void PSTableCell::setEditingText(std::optional<std::string> text) {
    m_editingText = std::move(text);
    rebuild();
}

CGFloat PSTableCell::height() const {
    if (m_messageLines.empty())
        return kRowHeight;
    return kRowHeight + static_cast<CGFloat>(m_messageLines.size()) * kMessageLineHeight;
}

void PSTableCell::rebuild() {
    while (!subviews().empty())
        subviews().back()->removeFromSuperview();
    m_trackStart = m_trackEnd = m_knobX = 0;
    setFrame({frame().origin, {m_width, height()}});
    setBackgroundColor(UIColor::whiteColor());

    const PSSpecifier& specifier = *m_specifier;
    UIFont font = UIFont::systemFontOfSize(17);
    UIFont valueFont = UIFont::systemFontOfSize(17);
    CGFloat right = m_width - kInset;
    CGFloat titleWidth = std::min(TextLines::width(specifier.name(), font) + 8, m_width * 0.62);
    CGRect titleFrame{{kInset, 0}, {titleWidth, kRowHeight}};

    switch (specifier.cellType()) {
    case PSCellType::Switch:
        addLabel(*this, specifier.name(), titleFrame, font, UIColor::blackColor());
        addSwitch(isOn());
        break;
    case PSCellType::Slider:
        addSlider(std::min(titleWidth, m_width * 0.32));
        break;
    case PSCellType::EditText: {
        addLabel(*this, specifier.name(), titleFrame, font, UIColor::blackColor());
        CGFloat x = kInset + titleWidth + 8;
        if (m_editingText) {
            // The caret is a thin bar after the text, in the system's blue.
            constexpr CGFloat kCaretWidth = 2;
            addLabel(*this, *m_editingText, {{x, 0}, {right - x - kCaretWidth - 1, kRowHeight}},
                     valueFont, UIColor::blackColor(), NSTextAlignment::Right);
            auto caret =
                UIView::create({{right - kCaretWidth, 11}, {kCaretWidth, kRowHeight - 22}});
            caret->setBackgroundColor(kSystemBlue);
            addSubview(caret);
            break;
        }
        std::string text = valueText();
        bool placeholder = text.empty();
        if (placeholder)
            text = specifier.stringProperty("placeholder").value_or("");
        addLabel(*this, text, {{x, 0}, {right - x, kRowHeight}}, valueFont,
                 placeholder ? kPlaceholder : UIColor::blackColor(), NSTextAlignment::Right);
        // A colour field shows the colour it names beside the text.
        if (PSRowInput::isColor(specifier) && PSRowInput::isHexColor(valueText())) {
            CGFloat swatchX = right - TextLines::width(valueText(), valueFont) - 30;
            auto shown = valueText();
            unsigned value = std::stoul(shown.substr(1), nullptr, 16);
            auto swatch = addRoundView(*this, {{swatchX, (kRowHeight - 20) / 2}, {20, 20}},
                                       UIColor::colorWithRed(((value >> 16) & 0xFF) / 255.0,
                                                             ((value >> 8) & 0xFF) / 255.0,
                                                             (value & 0xFF) / 255.0, 1));
            swatch->layer()->setBorderWidth(0.5);
            swatch->layer()->setBorderColor(kTrack);
        }
        break;
    }
    case PSCellType::Link:
    case PSCellType::LinkList: {
        addLabel(*this, specifier.name(), titleFrame, font, UIColor::blackColor());
        addLabel(*this, "\u203A", {{right - 12, 0}, {12, kRowHeight}}, UIFont::systemFontOfSize(26),
                 kPlaceholder, NSTextAlignment::Right);
        if (specifier.cellType() == PSCellType::LinkList) {
            CGFloat x = kInset + titleWidth + 8;
            addLabel(*this, valueText(), {{x, 0}, {right - 20 - x, kRowHeight}}, valueFont,
                     kSecondaryText, NSTextAlignment::Right);
        }
        break;
    }
    case PSCellType::ListItem:
        addLabel(*this, specifier.name(), {{kInset, 0}, {right - 30 - kInset, kRowHeight}}, font,
                 UIColor::blackColor());
        if (m_checked)
            addLabel(*this, "\u2713", {{right - 24, 0}, {24, kRowHeight}},
                     UIFont::boldSystemFontOfSize(18), kSystemBlue, NSTextAlignment::Right);
        break;
    case PSCellType::Button:
        addLabel(*this, specifier.name(), {{kInset, 0}, {right - kInset, kRowHeight}}, font,
                 kSystemBlue);
        break;
    case PSCellType::TitleValue: {
        addLabel(*this, specifier.name(), titleFrame, font, UIColor::blackColor());
        CGFloat x = kInset + titleWidth + 8;
        addLabel(*this, valueText(), {{x, 0}, {right - x, kRowHeight}}, valueFont, kSecondaryText,
                 NSTextAlignment::Right);
        break;
    }
    case PSCellType::StaticText:
    case PSCellType::Group:
        addLabel(*this, specifier.name(), {{kInset, 0}, {right - kInset, kRowHeight}}, font,
                 UIColor::blackColor());
        break;
    }

    CGFloat lineY = kRowHeight - 6;
    for (const auto& line : m_messageLines) {
        addLabel(*this, line, {{kInset, lineY}, {right - kInset, kMessageLineHeight}},
                 UIFont::systemFontOfSize(12), kWarning);
        lineY += kMessageLineHeight;
    }
}

void PSTableCell::addSwitch(bool on) {
    CGRect frame{{m_width - kInset - kSwitchWidth, (kRowHeight - kSwitchHeight) / 2},
                 {kSwitchWidth, kSwitchHeight}};
    auto track = addRoundView(*this, frame, on ? kSwitchGreen : UIColor::whiteColor());
    if (!on) {
        track->layer()->setBorderWidth(1.5);
        track->layer()->setBorderColor(UIColor::colorWithWhite(0.9, 1));
    }
    CGFloat inset = (kSwitchHeight - kKnob) / 2;
    CGFloat knobX = on ? kSwitchWidth - inset - kKnob : inset;
    auto knob = addRoundView(*track, {{knobX, inset}, {kKnob, kKnob}}, UIColor::whiteColor());
    knob->layer()->setBorderWidth(0.5);
    knob->layer()->setBorderColor(UIColor::colorWithWhite(0.8, 1));
}

void PSTableCell::addSlider(CGFloat titleWidth) {
    const PSSpecifier& specifier = *m_specifier;
    UIFont font = UIFont::systemFontOfSize(17);
    addLabel(*this, specifier.name(), {{kInset, 0}, {titleWidth, kRowHeight}}, font,
             UIColor::blackColor());
    CGFloat right = m_width - kInset;
    addLabel(*this, valueText(), {{right - kSliderValueWidth, 0}, {kSliderValueWidth, kRowHeight}},
             UIFont::systemFontOfSize(15), kSecondaryText, NSTextAlignment::Right);

    CGFloat trackX = kInset + titleWidth + 8 + kSliderKnob / 2;
    CGFloat trackEnd = right - kSliderValueWidth - 8 - kSliderKnob / 2;
    if (trackEnd <= trackX)
        return;
    m_trackStart = trackX;
    m_trackEnd = trackEnd;
    auto [low, high] = PSRowInput::range(specifier);
    double value = low;
    if (auto shown = shownValue(); shown && (shown->isNumber() || shown->string()))
        value = std::clamp(shown->doubleValue(), low, high);
    double fraction = high > low ? (value - low) / (high - low) : 0;
    CGFloat knobX = trackX + (trackEnd - trackX) * fraction;
    m_knobX = knobX;
    auto filled = UIView::create({{trackX, kRowHeight / 2 - 1}, {knobX - trackX, 2}});
    filled->setBackgroundColor(kSystemBlue);
    addSubview(filled);
    auto rest = UIView::create({{knobX, kRowHeight / 2 - 1}, {trackEnd - knobX, 2}});
    rest->setBackgroundColor(kTrack);
    addSubview(rest);
    auto knob = addRoundView(
        *this,
        {{knobX - kSliderKnob / 2, (kRowHeight - kSliderKnob) / 2}, {kSliderKnob, kSliderKnob}},
        UIColor::whiteColor());
    knob->layer()->setBorderWidth(0.5);
    knob->layer()->setBorderColor(UIColor::colorWithWhite(0.75, 1));
}

std::optional<double> PSTableCell::sliderValueAtX(CGFloat x) const {
    if (m_specifier->cellType() != PSCellType::Slider || !(m_trackEnd > m_trackStart) ||
        !std::isfinite(x))
        return std::nullopt;
    auto [low, high] = PSRowInput::range(*m_specifier);
    double fraction = std::clamp((x - m_trackStart) / (m_trackEnd - m_trackStart), 0.0, 1.0);
    double value = low + (high - low) * fraction;
    // A range of whole numbers (a size in points) takes whole steps; a
    // fractional one a hundredth of its span.
    if (high - low >= 10 && std::floor(low) == low && std::floor(high) == high)
        return std::clamp(std::round(value), low, high);
    double step = (high - low) / 100;
    return step > 0 ? std::clamp(low + std::round((value - low) / step) * step, low, high) : low;
}

bool PSTableCell::isOnSliderKnob(CGFloat x) const {
    // A knob is small under a finger: a little more than its own width counts.
    constexpr CGFloat kReach = kSliderKnob / 2 + 10;
    return m_specifier->cellType() == PSCellType::Slider && m_trackEnd > m_trackStart &&
           std::abs(x - m_knobX) <= kReach;
}
