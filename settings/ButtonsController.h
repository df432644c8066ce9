#pragma once

#include "platform/preferences/PSListController.h"

#include <memory>

class NSBundle;

// The buttons pane: the height of the transport buttons and the play/pause
// glyph. It keeps the rows it loaded first.
class ButtonsController : public PSListController {
public:
    static std::shared_ptr<ButtonsController> create();
    static Class registerClass();

    std::vector<std::shared_ptr<PSSpecifier>> specifiers() override; // -specifiers
    void loadView() override;                                        // -loadView

    const std::shared_ptr<NSBundle>& bundle() const { return m_bundle; }

    std::string_view className() const override { return "ButtonsController"; }

protected:
    ButtonsController();

private:
    std::shared_ptr<NSBundle> m_bundle;
};
