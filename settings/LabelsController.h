#pragma once

#include "platform/preferences/PSListController.h"

#include <memory>

class NSBundle;

// The labels pane: size, colour, height and visibility of the title,
// artist and time labels. Its rows are read afresh each time it comes into
// view.
class LabelsController : public PSListController {
public:
    static std::shared_ptr<LabelsController> create();
    static Class registerClass();

    std::vector<std::shared_ptr<PSSpecifier>> specifiers() override; // -specifiers
    void loadView() override;                                        // -loadView
    void viewWillAppear(bool animated) override;                     // -viewWillAppear:

    const std::shared_ptr<NSBundle>& bundle() const { return m_bundle; }

    std::string_view className() const override { return "LabelsController"; }

protected:
    LabelsController();

private:
    std::shared_ptr<NSBundle> m_bundle;
};
