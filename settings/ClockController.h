#pragma once

#include "platform/preferences/PSListController.h"

#include <memory>

class NSBundle;

// The clock pane: the clock label's colour, height and visibility. Its
// rows are read afresh each time it comes into view.
class ClockController : public PSListController {
public:
    static std::shared_ptr<ClockController> create();
    static Class registerClass();

    std::vector<std::shared_ptr<PSSpecifier>> specifiers() override; // -specifiers
    void loadView() override;                                        // -loadView
    void viewWillAppear(bool animated) override;                     // -viewWillAppear:

    const std::shared_ptr<NSBundle>& bundle() const { return m_bundle; }

    std::string_view className() const override { return "ClockController"; }

protected:
    ClockController();

private:
    std::shared_ptr<NSBundle> m_bundle;
};
