#pragma once

#include "settings/RotixSettingsPane.h"

// The credits pane: rows that offer to follow three credited people, each
// through the follow alert, told apart by its tag.
class thanksController : public RotixSettingsPane<thanksController> {
public:
    static constexpr long kPellamAlertTag = 3;
    static constexpr long kCorvandAlertTag = 4;
    static constexpr long kDastrelAlertTag = 5;
    static constexpr const char* kPellamHandle = "Pellam";
    static constexpr const char* kCorvandHandle = "corvand";
    static constexpr const char* kDastrelHandle = "dastrel";

    static constexpr const char* kClassName = "thanksController";
    static constexpr const char* kPlistName = "Thanks";
    static constexpr ReloadOnAppear kReloadOnAppear = ReloadOnAppear::No;
    static void addOwnMethods(const Class& cls);

    void pellam();  // -pellam
    void corvand(); // -corvand
    void dastrel(); // -dastrel
    // -alertView:clickedButtonAtIndex:
    void alertViewClickedButtonAtIndex(id alertView, long buttonIndex);
    void openReddit();    // -openReddit
    void followCorvand(); // -followCorvand
    void followDastrel(); // -followDastrel

protected:
    thanksController() = default;
};
