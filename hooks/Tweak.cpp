#include "hooks/Tweak.h"

#include "platform/corefoundation/CFLog.h"
#include "platform/corefoundation/CFNotificationCenter.h"
#include "platform/foundation/NSString.h"
#include "platform/objc/Runtime.h"
#include "platform/springboard/SBDashBoardNotificationListViewController.h"
#include "platform/substrate/Substrate.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIView.h"
#include "platform/uikit/UIViewController.h"
#include "player/Rotix.h"

#include <functional>
#include <optional>
#include <string>

std::shared_ptr<Rotix> rotix;
id notificationListController;

namespace {

using Completion = std::function<void()>;

const char* const kTransitionSelector =
    SBDashBoardNotificationListViewController::kTransitionSelector;

// The file-local state, made on first use: the initialiser runs while the
// library loads, before the library's other globals are constructed.
struct TweakState {
    id applicationObject;
    IMP<void> viewDidLoad;
    IMP<id, id> initWithMediaControlsViewController;
    IMP<bool, CGPoint, double> isOutOfBounds;
    IMP<bool, id> touchesShouldCancelInContentView;
    IMP<void, bool, id, Completion> performCustomTransition;
    IMP<id, std::optional<std::string>, id> initWithNibName;
    IMP<id> springBoardInit;
};

TweakState& state() {
    static TweakState tweak;
    return tweak;
}

// The line the replacements' generator writes for a class it cannot find.
void logMissingClass(const char* name) {
    CFLog(kCFLogLevelError, "[%s: %s:%d] %s: %@", "RotixiOS10", "Tweak", 154, "ERROR",
          stringWithFormat("logos: nil class %s", name));
}

// 1. The page's content is the shared player, and nothing of the system's.
void mediaControlsViewDidLoad(const id& self, const SEL&) {
    auto root = UIView::create(UIScreen::mainScreen()->bounds());
    objc_msgSend<void, id>(self, "setView:", root);
    root->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    root->setBackgroundColor(UIColor::clearColor());
    if (!rotix)
        rotix = Rotix::sharedInstance();
    auto controller = std::dynamic_pointer_cast<UIViewController>(self);
    auto view = controller ? controller->view() : nullptr;
    if (view && rotix)
        view->addSubview(rotix);
}

// 2. The page is made without the system's media-controls view controller.
id mediaControlsInit(const id& self, const SEL& cmd, id) {
    return state().initWithMediaControlsViewController(self, cmd, nullptr);
}

// 3. No touch is out of bounds for the lock screen's horizontal scrolling.
bool horizontalScrollIsOutOfBounds(const id&, const SEL&, CGPoint, double) {
    return false;
}

// 4. The lock screen keeps its paging away from a touch the player handles.
bool pagedScrollShouldCancel(const id& self, const SEL& cmd, id view) {
    bool answer = state().touchesShouldCancelInContentView(self, cmd, view);
    if (rotix && rotix->isTouching())
        return false;
    return answer;
}

// 5. The player shows exactly when the notification list does not.
void notificationListTransition(const id& self, const SEL& cmd, bool visible, id settings,
                                Completion completion) {
    state().performCustomTransition(self, cmd, visible, settings, completion);
    if (rotix) {
        if (auto container = rotix->superview())
            container->setHidden(visible);
    }
    auto scrollView =
        std::dynamic_pointer_cast<UIView>(objc_msgSend<id>(self, "notificationListScrollView"));
    if (scrollView)
        scrollView->setHidden(!visible);
}

void toggleCallback(CFNotificationCenterRef, void*, const std::string&, const void*,
                    const CFDictionary* info) {
    const CFPropertyList* hidden = CFDictionaryGetValue(info, "isHidden");
    bool isHidden = hidden && hidden->boolValue();
    objc_msgSend<void, bool, id, Completion>(notificationListController, kTransitionSelector,
                                             isHidden, nullptr, nullptr);
}

// 6. Every notification list records itself and listens for the toggle.
id notificationListInit(const id& self, const SEL& cmd, std::optional<std::string> nibName,
                        id bundle) {
    id result = state().initWithNibName(self, cmd, std::move(nibName), std::move(bundle));
    notificationListController = self;
    CFNotificationCenterAddObserver(CFNotificationCenterGetDistributedCenter(), nullptr,
                                    toggleCallback, "rotixToggle", nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
    return result;
}

// 7. The application object, for +sharedInstanceRotix.
id springBoardInit(const id& self, const SEL& cmd) {
    state().applicationObject = self;
    return state().springBoardInit(self, cmd);
}

id sharedInstanceRotix(const id&, const SEL&) {
    return state().applicationObject;
}

} // namespace

void TweakInitialize() {
    if (Class cls = objc_getClass("SBDashBoardMediaControlsViewController")) {
        MSHookMessageEx<void>(cls, "viewDidLoad", mediaControlsViewDidLoad, &state().viewDidLoad);
        MSHookMessageEx<id, id>(cls, "initWithMediaControlsViewController:", mediaControlsInit,
                                &state().initWithMediaControlsViewController);
    } else {
        logMissingClass("SBDashBoardMediaControlsViewController");
        logMissingClass("SBDashBoardMediaControlsViewController");
    }
    if (Class cls = objc_getClass("SBHorizontalScrollFailureRecognizer")) {
        MSHookMessageEx<bool, CGPoint, double>(
            cls, "_isOutOfBounds:forAngle:", horizontalScrollIsOutOfBounds, &state().isOutOfBounds);
    } else {
        logMissingClass("SBHorizontalScrollFailureRecognizer");
    }
    if (Class cls = objc_getClass("SBPagedScrollView")) {
        MSHookMessageEx<bool, id>(cls, "touchesShouldCancelInContentView:", pagedScrollShouldCancel,
                                  &state().touchesShouldCancelInContentView);
    } else {
        logMissingClass("SBPagedScrollView");
    }
    if (Class cls = objc_getClass("SBDashBoardNotificationListViewController")) {
        MSHookMessageEx<void, bool, id, Completion>(
            cls, kTransitionSelector, notificationListTransition, &state().performCustomTransition);
        MSHookMessageEx<id, std::optional<std::string>, id>(
            cls, "initWithNibName:bundle:", notificationListInit, &state().initWithNibName);
    } else {
        logMissingClass("SBDashBoardNotificationListViewController");
        logMissingClass("SBDashBoardNotificationListViewController");
    }
    Class springBoard = objc_getClass("SpringBoard");
    if (springBoard)
        MSHookMessageEx<id>(springBoard, "init", springBoardInit, &state().springBoardInit);
    else
        logMissingClass("SpringBoard");
    // Without the class there is no metaclass, and nothing is added.
    if (Class metaclass = object_getClass(springBoard))
        class_addMethod<id>(metaclass, "sharedInstanceRotix", sharedInstanceRotix, "@@:");
}
