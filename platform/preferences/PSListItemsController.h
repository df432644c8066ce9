#pragma once

#include "platform/preferences/PSListController.h"

// The pane a list row opens: one row per choice, the chosen one checked.
// Picking a row writes its value through the list row of the pane that
// opened it.
class PSListItemsController : public PSListController {
public:
    static std::shared_ptr<PSListItemsController>
    create(const std::shared_ptr<PSListController>& owner,
           const std::shared_ptr<PSSpecifier>& listSpecifier);

    std::vector<std::shared_ptr<PSSpecifier>> specifiers() override;
    bool selectSpecifier(const std::shared_ptr<PSSpecifier>& specifier) override;

    std::string_view className() const override { return "PSListItemsController"; }

protected:
    PSListItemsController(const std::shared_ptr<PSListController>& owner,
                          std::shared_ptr<PSSpecifier> listSpecifier);

    void configureCell(PSTableCell& cell) override;

private:
    std::weak_ptr<PSListController> m_owner;
    std::shared_ptr<PSSpecifier> m_list;
};
