#include "platform/springboard/LockScreenClasses.h"

#include "platform/objc/Runtime.h"
#include "platform/springboard/SBBacklightController.h"
#include "platform/springboard/SBDashBoardMediaControlsViewController.h"
#include "platform/springboard/SBDashBoardNotificationListViewController.h"
#include "platform/springboard/SBDeviceLockController.h"
#include "platform/springboard/SBHorizontalScrollFailureRecognizer.h"
#include "platform/springboard/SBLockScreenManager.h"
#include "platform/springboard/SBMediaController.h"
#include "platform/springboard/SBPagedScrollView.h"
#include "platform/springboard/SpringBoard.h"

#include <functional>
#include <utility>

namespace {
const std::vector<std::pair<std::string, std::function<Class()>>>& registrations() {
    static const std::vector<std::pair<std::string, std::function<Class()>>> table = {
        {"SBDashBoardMediaControlsViewController",
         SBDashBoardMediaControlsViewController::registerClass},
        {"SBHorizontalScrollFailureRecognizer", SBHorizontalScrollFailureRecognizer::registerClass},
        {"SBPagedScrollView", SBPagedScrollView::registerClass},
        {"SBDashBoardNotificationListViewController",
         SBDashBoardNotificationListViewController::registerClass},
        {"SpringBoard", SpringBoard::registerClass},
        {"SBMediaController", SBMediaController::registerClass},
        {"SBBacklightController", SBBacklightController::registerClass},
        {"SBDeviceLockController", SBDeviceLockController::registerClass},
        {"SBLockScreenManager", SBLockScreenManager::registerClass},
    };
    return table;
}
} // namespace

const std::vector<std::string>& LockScreenClasses::names() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const auto& entry : registrations())
            list.push_back(entry.first);
        return list;
    }();
    return names;
}

std::vector<std::string> LockScreenClasses::registerAll(const std::set<std::string>& omitted) {
    std::vector<std::string> registered;
    for (const auto& [name, registerClass] : registrations()) {
        if (omitted.count(name)) {
            objc_unregisterClass(name);
            continue;
        }
        registerClass();
        registered.push_back(name);
    }
    return registered;
}
