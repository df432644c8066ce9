#pragma once

#include "platform/preferences/PSListController.h"

#include <memory>

class NSBundle;

// The credits pane: rows that offer to follow three credited people, each
// through the follow alert, told apart by its tag.
class thanksController : public PSListController {
public:
    static constexpr long kPellamAlertTag = 3;
    static constexpr long kCorvandAlertTag = 4;
    static constexpr long kDastrelAlertTag = 5;
    static constexpr const char* kPellamHandle = "Pellam";
    static constexpr const char* kCorvandHandle = "corvand";
    static constexpr const char* kDastrelHandle = "dastrel";

    static std::shared_ptr<thanksController> create();
    static Class registerClass();

    std::vector<std::shared_ptr<PSSpecifier>> specifiers() override; // -specifiers
    void loadView() override;                                        // -loadView

    void pellam();  // -pellam
    void corvand(); // -corvand
    void dastrel(); // -dastrel
    // -alertView:clickedButtonAtIndex:
    void alertViewClickedButtonAtIndex(id alertView, long buttonIndex);
    void openReddit();    // -openReddit
    void followCorvand(); // -followCorvand
    void followDastrel(); // -followDastrel

    const std::shared_ptr<NSBundle>& bundle() const { return m_bundle; }

    std::string_view className() const override { return "thanksController"; }

protected:
    thanksController();

private:
    std::shared_ptr<NSBundle> m_bundle;
};
