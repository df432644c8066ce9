#include "platform/preferences/PSRootController.h"

#include "platform/preferences/PSListController.h"
#include "platform/preferences/PSViewController.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/ViewBuilding.h"

#include <algorithm>

namespace {

const UIColor kSystemBlue = UIColor::colorWithRed(0, 122 / 255.0, 1, 1);
const UIColor kBarBackground = UIColor::colorWithRed(247 / 255.0, 247 / 255.0, 247 / 255.0, 1);
const UIColor kBarLine = UIColor::colorWithRed(178 / 255.0, 178 / 255.0, 178 / 255.0, 1);
constexpr CGFloat kStatusBarHeight = 20;

} // namespace

std::shared_ptr<PSRootController> PSRootController::create() {
    return makeObject<PSRootController>();
}

void PSRootController::loadView() {
    auto root = UIView::create(UIScreen::mainScreen()->bounds());
    root->setBackgroundColor(UIColor::whiteColor());
    setView(root);
}

void PSRootController::pushController(const std::shared_ptr<PSViewController>& controller) {
    if (!controller ||
        std::find(m_controllers.begin(), m_controllers.end(), controller) != m_controllers.end())
        return;
    controller->setRootController(std::static_pointer_cast<PSRootController>(shared_from_this()));
    m_controllers.push_back(controller);
    controller->view();
    controller->viewWillAppear(true);
    layout();
}

std::shared_ptr<PSViewController> PSRootController::popController() {
    if (m_controllers.size() < 2)
        return nullptr;
    auto popped = m_controllers.back();
    m_controllers.pop_back();
    m_controllers.back()->viewWillAppear(true);
    layout();
    return popped;
}

std::shared_ptr<PSViewController> PSRootController::topController() const {
    return m_controllers.empty() ? nullptr : m_controllers.back();
}

bool PSRootController::pressRightBarButton() {
    auto top = topController();
    auto item = top ? top->navigationItem()->rightBarButtonItem() : nullptr;
    if (!item)
        return false;
    item->sendAction();
    return true;
}

std::optional<PSRootController::BarButton> PSRootController::barButtonAt(CGPoint point) const {
    // The same places makeBar puts the buttons' titles, with the whole
    // height of the bar below the status line to aim at.
    CGFloat width = UIScreen::mainScreen()->bounds().size.width;
    if (point.y < kStatusBarHeight || point.y >= kBarHeight || point.x < 0 || point.x >= width)
        return std::nullopt;
    auto top = topController();
    if (!top)
        return std::nullopt;
    if (m_controllers.size() > 1 && point.x < 116)
        return BarButton::Back;
    if (top->navigationItem()->rightBarButtonItem() && point.x >= width - 108)
        return BarButton::Right;
    return std::nullopt;
}

std::shared_ptr<UIView> PSRootController::makeBar(CGFloat width) const {
    auto bar = UIView::create({{0, 0}, {width, kBarHeight}});
    bar->setBackgroundColor(kBarBackground);
    addLabel(*bar, "9:41", {{0, 2}, {width, 16}}, UIFont::boldSystemFontOfSize(12),
             UIColor::blackColor(), NSTextAlignment::Center);
    addHairline(*bar, 0, kBarHeight - kHairlineHeight, width, kBarLine);

    auto top = topController();
    if (!top)
        return bar;
    CGFloat barY = kStatusBarHeight;
    CGFloat barHeight = kBarHeight - kStatusBarHeight;
    addLabel(*bar, top->navigationItem()->title(), {{100, barY}, {width - 200, barHeight}},
             UIFont::boldSystemFontOfSize(17), UIColor::blackColor(), NSTextAlignment::Center);
    if (m_controllers.size() > 1) {
        const auto& below = m_controllers[m_controllers.size() - 2];
        std::string back = below->navigationItem()->title();
        addLabel(*bar, "\u2039", {{8, barY - 3}, {16, barHeight}}, UIFont::systemFontOfSize(34),
                 kSystemBlue, NSTextAlignment::Left);
        addLabel(*bar, back.empty() ? "Back" : back, {{26, barY}, {90, barHeight}},
                 UIFont::systemFontOfSize(17), kSystemBlue, NSTextAlignment::Left);
    }
    if (auto item = top->navigationItem()->rightBarButtonItem())
        addLabel(*bar, item->title(), {{width - 108, barY}, {100, barHeight}},
                 item->style() == UIBarButtonItemStyle::Done ? UIFont::boldSystemFontOfSize(17)
                                                             : UIFont::systemFontOfSize(17),
                 kSystemBlue, NSTextAlignment::Right);
    return bar;
}

void PSRootController::layout() {
    auto root = view();
    while (!root->subviews().empty())
        root->subviews().back()->removeFromSuperview();
    CGRect screen = UIScreen::mainScreen()->bounds();
    root->setFrame({{0, 0}, screen.size});
    if (auto top = topController()) {
        auto content = top->view();
        content->setFrame({{0, kBarHeight}, {screen.size.width, screen.size.height - kBarHeight}});
        root->addSubview(content);
    }
    root->addSubview(makeBar(screen.size.width));
}

void PSRootController::layoutForFullContent() {
    layout();
    auto list = std::dynamic_pointer_cast<PSListController>(topController());
    if (!list)
        return;
    CGRect screen = UIScreen::mainScreen()->bounds();
    CGFloat height = std::max(screen.size.height - kBarHeight, list->contentHeight());
    list->view()->setFrame({{0, kBarHeight}, {screen.size.width, height}});
    view()->setFrame({{0, 0}, {screen.size.width, kBarHeight + height}});
}
