#pragma once

#include "platform/foundation/NSBundle.h"
#include "platform/preferences/PSListController.h"
#include "settings/RotixSettingsBundle.h"

#include <memory>

enum class ReloadOnAppear { No, Yes };

// What every pane of the bundle shares: its rows from the specifier plist of
// Pane::kPlistName, read once per controller; the bundle opened with the
// view, for localized strings; and, where Pane::kReloadOnAppear says so, the
// rows read afresh each time the pane comes into view. A pane names itself
// in Pane::kClassName and adds its own methods in Pane::addOwnMethods.
template <class Pane>
class RotixSettingsPane : public PSListController {
public:
    static std::shared_ptr<Pane> create() { return makeObject<Pane>(); }

    static Class registerClass() {
        static Class cls = [] {
            PSListController::registerClass();
            Class registered = objc_registerClass(Pane::kClassName, "PSListController");
            class_addMethod(registered, "specifiers", &Pane::specifiers);
            class_addMethod(registered, "loadView", &Pane::loadView);
            if constexpr (Pane::kReloadOnAppear == ReloadOnAppear::Yes)
                class_addMethod(registered, "viewWillAppear:", &Pane::viewWillAppear);
            Pane::addOwnMethods(registered);
            class_addMethod<id>(registered->metaclass(), "new",
                                [](const id&, const SEL&) -> id { return Pane::create(); });
            return registered;
        }();
        return cls;
    }

    // -specifiers
    std::vector<std::shared_ptr<PSSpecifier>> specifiers() override {
        if (_specifiers.empty())
            _specifiers = loadSpecifiersFromPlistName(Pane::kPlistName, self());
        return _specifiers;
    }

    // -loadView
    void loadView() override {
        PSListController::loadView();
        openBundle();
    }

    // -viewWillAppear:
    void viewWillAppear(bool animated) override {
        if constexpr (Pane::kReloadOnAppear == ReloadOnAppear::Yes) {
            clearCache();
            reload();
        }
        PSListController::viewWillAppear(animated);
    }

    const std::shared_ptr<NSBundle>& bundle() const { return m_bundle; }

    std::string_view className() const override { return Pane::kClassName; }

protected:
    RotixSettingsPane() { registerClass(); }

    // A pane with no methods of its own adds none.
    static void addOwnMethods(const Class&) {}

    void openBundle() { m_bundle = NSBundle::bundleWithPath(kRotixSettingsBundlePath); }

private:
    std::shared_ptr<NSBundle> m_bundle;
};
