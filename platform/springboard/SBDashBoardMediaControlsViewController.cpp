#include "platform/springboard/SBDashBoardMediaControlsViewController.h"

#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIView.h"

Class SBDashBoardMediaControlsViewController::registerClass() {
    objc_registerClass("UIViewController");
    Class cls = objc_registerClass("SBDashBoardMediaControlsViewController", "UIViewController");
    class_addMethod(
        cls, "initWithMediaControlsViewController:",
        &SBDashBoardMediaControlsViewController::originalInitWithMediaControlsViewController);
    class_addMethod(cls, "viewDidLoad",
                    &SBDashBoardMediaControlsViewController::originalViewDidLoad);
    class_addMethod<void, id>(cls, "setView:", [](const id& self, const SEL&, id view) {
        if (auto controller = std::dynamic_pointer_cast<UIViewController>(self))
            controller->setView(std::dynamic_pointer_cast<UIView>(view));
    });
    class_addMethod<id>(cls, "view", &UIViewController::view);
    return cls;
}

std::shared_ptr<SBDashBoardMediaControlsViewController>
SBDashBoardMediaControlsViewController::alloc() {
    return makeObject<SBDashBoardMediaControlsViewController>();
}

id SBDashBoardMediaControlsViewController::initWithMediaControlsViewController(
    const id& mediaControlsViewController) {
    return objc_msgSend<id, id>(
        shared_from_this(), "initWithMediaControlsViewController:", mediaControlsViewController);
}

void SBDashBoardMediaControlsViewController::viewDidLoad() {
    objc_msgSend<void>(shared_from_this(), "viewDidLoad");
}

id SBDashBoardMediaControlsViewController::originalInitWithMediaControlsViewController(
    id mediaControlsViewController) {
    m_mediaControls = std::move(mediaControlsViewController);
    return shared_from_this();
}

void SBDashBoardMediaControlsViewController::originalViewDidLoad() {
    auto controls = std::dynamic_pointer_cast<UIViewController>(m_mediaControls);
    if (!controls)
        return;
    if (auto controlsView = controls->view())
        view()->addSubview(controlsView);
}

std::shared_ptr<MPUSystemMediaControlsViewController>
MPUSystemMediaControlsViewController::create() {
    return makeObject<MPUSystemMediaControlsViewController>();
}

void MPUSystemMediaControlsViewController::loadView() {
    CGRect screen = UIScreen::mainScreen()->bounds();
    auto panel =
        UIView::create(CGRectMake(8, screen.size.height * 0.27, screen.size.width - 16, 150));
    panel->setBackgroundColor(UIColor::colorWithWhite(1, 0.7));
    panel->layer()->setCornerRadius(12);
    auto label = UILabel::create(CGRectMake(0, 0, screen.size.width - 16, 150));
    label->setText("Not Playing");
    label->setTextAlignment(NSTextAlignment::Center);
    label->setTextColor(UIColor::colorWithWhite(0.25, 1));
    // The panel spans the page however wide the screen turns.
    panel->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    label->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    panel->addSubview(label);
    setView(panel);
}
