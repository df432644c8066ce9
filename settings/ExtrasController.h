#pragma once

#include "platform/preferences/PSListController.h"

#include <memory>

class NSBundle;

// The extras pane: rotation, colours from the artwork and the blurred
// background. It keeps the rows it loaded first.
class ExtrasController : public PSListController {
public:
    static std::shared_ptr<ExtrasController> create();
    static Class registerClass();

    std::vector<std::shared_ptr<PSSpecifier>> specifiers() override; // -specifiers
    void loadView() override;                                        // -loadView

    const std::shared_ptr<NSBundle>& bundle() const { return m_bundle; }

    std::string_view className() const override { return "ExtrasController"; }

protected:
    ExtrasController();

private:
    std::shared_ptr<NSBundle> m_bundle;
};
