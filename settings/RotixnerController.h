#pragma once

#include "platform/preferences/PSListController.h"

#include <memory>

class NSBundle;

// The disc's pane ("Rotixner"): the disc's height, the ring's thumb and
// seeking, and a link to the companion seek package in Cydia. It keeps the
// rows it loaded first.
class RotixnerController : public PSListController {
public:
    // The companion package whose page seeker opens in Cydia.
    static constexpr const char* kCompanionPackage = "com.varlo.rotixseek";

    static std::shared_ptr<RotixnerController> create();
    static Class registerClass();

    std::vector<std::shared_ptr<PSSpecifier>> specifiers() override; // -specifiers
    void loadView() override;                                        // -loadView

    void seeker(); // -seeker

    const std::shared_ptr<NSBundle>& bundle() const { return m_bundle; }

    std::string_view className() const override { return "RotixnerController"; }

protected:
    RotixnerController();

private:
    std::shared_ptr<NSBundle> m_bundle;
};
