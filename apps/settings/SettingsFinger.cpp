#include "apps/settings/SettingsFinger.h"

#include "apps/settings/SettingsHost.h"
#include "apps/settings/SettingsKeyboard.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/preferences/PSListController.h"
#include "platform/preferences/PSRootController.h"
#include "platform/preferences/PSRowInput.h"
#include "platform/preferences/PSTableCell.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIScrollView.h"

#include <algorithm>
#include <cmath>

namespace {

// The row under a point of the screen, with its cell.
std::pair<std::shared_ptr<PSSpecifier>, std::shared_ptr<PSTableCell>>
rowAt(PSListController& list, CGPoint point, CGPoint& inCell) {
    const auto& table = list.table();
    if (!table || point.y < PSRootController::kBarHeight)
        return {};
    CGPoint inTable{point.x + table->contentOffset().x,
                    point.y - PSRootController::kBarHeight + table->contentOffset().y};
    for (const auto& specifier : list.specifiers()) {
        auto cell = list.cellForSpecifier(specifier);
        if (!cell || !cell->superview() || !CGRectContainsPoint(cell->frame(), inTable))
            continue;
        inCell = {inTable.x - cell->frame().origin.x, inTable.y - cell->frame().origin.y};
        return {specifier, cell};
    }
    return {};
}

bool farFrom(CGPoint a, CGPoint b) {
    return std::hypot(a.x - b.x, a.y - b.y) > SettingsFinger::kTapSlop;
}

} // namespace

void SettingsFinger::down(CGPoint point) {
    if (m_down)
        up(m_start);
    // Touching anything else keeps what was typed, as leaving a field does.
    if (m_host.keyboard().isEditing()) {
        m_host.keyboard().commit();
        settle();
    }
    m_down = true;
    m_moved = false;
    m_start = point;
    m_target = Target::None;
    m_alertButton.reset();
    m_row.reset();
    m_startOffset = 0;

    if (auto alert = UIAlertView::visibleAlert()) {
        CGPoint inAlert{point.x - alert->frame().origin.x, point.y - alert->frame().origin.y};
        m_alertButton = alert->buttonIndexAtPoint(inAlert);
        if (m_alertButton)
            m_target = Target::AlertButton;
        return;
    }
    if (m_host.requireInteractive())
        return;
    if (m_host.rootController()->barButtonAt(point)) {
        m_target = Target::BarButton;
        return;
    }
    auto list = m_host.topList();
    if (!list || !list->table())
        return;
    m_startOffset = list->table()->contentOffset().y;
    CGPoint inCell{};
    auto [specifier, cell] = rowAt(*list, point, inCell);
    if (!specifier)
        return;
    m_row = specifier;
    if (cell->isOnSliderKnob(inCell.x)) {
        m_target = Target::Slider;
        moveSlider(point);
        return;
    }
    m_target = Target::Row;
}

void SettingsFinger::move(CGPoint point) {
    if (!m_down)
        return;
    if (m_target == Target::Slider) {
        moveSlider(point);
        return;
    }
    if (!m_moved && !farFrom(point, m_start))
        return;
    m_moved = true;
    if (m_target == Target::Row || m_target == Target::None)
        scrollList(point);
}

void SettingsFinger::up(CGPoint point) {
    if (!m_down)
        return;
    if (m_target == Target::Slider) {
        moveSlider(point);
    } else {
        move(point);
    }
    m_down = false;
    if (m_moved || m_target == Target::Slider)
        return settle();

    switch (m_target) {
    case Target::AlertButton:
        // Only when the finger comes up on the button it went down on.
        if (auto alert = UIAlertView::visibleAlert()) {
            CGPoint inAlert{point.x - alert->frame().origin.x, point.y - alert->frame().origin.y};
            if (alert->buttonIndexAtPoint(inAlert) == m_alertButton)
                alert->clickButtonAtIndex(*m_alertButton);
        }
        break;
    case Target::BarButton: {
        auto root = m_host.rootController();
        auto pressed = root->barButtonAt(point);
        if (pressed == PSRootController::BarButton::Back)
            root->popController();
        else if (pressed == PSRootController::BarButton::Right)
            root->pressRightBarButton();
        break;
    }
    case Target::Row:
        if (auto list = m_host.topList(); list && m_row) {
            // A text row takes typing; the others act at once.
            if (!m_host.keyboard().begin(list, m_row))
                list->selectSpecifier(m_row);
        }
        break;
    case Target::Slider:
    case Target::None:
        break;
    }
    settle();
}

void SettingsFinger::scrollList(CGPoint point) {
    auto list = m_host.topList();
    if (!list || !list->table())
        return;
    const auto& table = list->table();
    CGFloat visible = table->bounds().size.height;
    CGFloat furthest = std::max<CGFloat>(0, list->contentHeight() - visible);
    CGFloat offset = std::clamp<CGFloat>(m_startOffset - (point.y - m_start.y), 0, furthest);
    table->setContentOffset({table->contentOffset().x, offset});
}

void SettingsFinger::moveSlider(CGPoint point) {
    auto list = m_host.topList();
    if (!list || !m_row)
        return;
    auto cell = list->cellForSpecifier(m_row);
    const auto& table = list->table();
    if (!cell || !table)
        return;
    CGFloat x = point.x + table->contentOffset().x - cell->frame().origin.x;
    // Past either end the value stays at that end.
    auto value = cell->sliderValueAtX(x);
    if (!value)
        return;
    if (auto shown = cell->shownValue();
        shown && shown->isNumber() && shown->doubleValue() == *value)
        return;
    list->enterValue(m_row, PSRowInput::formatNumber(*value));
    settle();
}

void SettingsFinger::settle() {
    NSRunLoop::mainRunLoop().runUntilIdle();
    m_host.refreshWindow();
}
