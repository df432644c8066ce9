#pragma once

#include "platform/corefoundation/CFPropertyList.h"
#include "platform/objc/Runtime.h"
#include "platform/preferences/PSViewController.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class NSBundle;
class PSSpecifier;
class PSTableCell;
class UIScrollView;

// A settings pane: a grouped list of rows built from specifiers, usually
// loaded from a plist of the pane's bundle. Each row reads its value from
// the preference domain its specifier names and writes changes back
// through the preference store's atomic write.
//
// A row's cell shows the value read when the cell was made; clearCache()
// drops the cells so that the next reload() reads every value afresh.
class PSListController : public PSViewController {
public:
    static std::shared_ptr<PSListController> create();
    static Class registerClass();

    // -specifiers: the pane's rows; by default the ones already set.
    virtual std::vector<std::shared_ptr<PSSpecifier>> specifiers();
    // -setSpecifiers:
    void setSpecifiers(std::vector<std::shared_ptr<PSSpecifier>> specifiers);
    // -loadSpecifiersFromPlistName:target: the rows of "<name>.plist" in the
    // pane's bundle, with `target` as the target of their actions; the plist's
    // title becomes the pane's. A plist that is missing, too large, nested
    // too deeply or malformed gives no rows and one log line.
    std::vector<std::shared_ptr<PSSpecifier>> loadSpecifiersFromPlistName(const std::string& name,
                                                                          const id& target);
    // -clearCache
    void clearCache();
    // -reload: lays the rows out again; rows without a cell get one, reading
    // their value now.
    void reload();
    // -loadView: the grouped list.
    void loadView() override;
    // -viewWillAppear:
    void viewWillAppear(bool animated) override;

    // The bundle whose plists the pane reads and whose panes its links open.
    const std::shared_ptr<NSBundle>& resourceBundle() const { return m_resourceBundle; }
    void setResourceBundle(std::shared_ptr<NSBundle> bundle) {
        m_resourceBundle = std::move(bundle);
    }

    // -readPreferenceValue: the stored value of the row's key, or nothing.
    virtual std::optional<CFPropertyList>
    readPreferenceValue(const std::shared_ptr<PSSpecifier>& specifier);
    // -setPreferenceValue:specifier: writes (nothing removes) the row's key
    // and posts the row's notification. False when the store refused.
    virtual bool setPreferenceValue(std::optional<CFPropertyList> value,
                                    const std::shared_ptr<PSSpecifier>& specifier);

    // Rows as the app finds them.
    std::shared_ptr<PSSpecifier> specifierForKey(const std::string& key);
    std::shared_ptr<PSSpecifier> specifierNamed(const std::string& title);
    // The row's cell, or nothing while the view is not loaded.
    std::shared_ptr<PSTableCell> cellForSpecifier(const std::shared_ptr<PSSpecifier>& specifier);

    // A person enters a value for the row (typed text, a slider's number, a
    // choice's title); answers why it was refused, or nothing when the row
    // took it.
    std::optional<std::string> enterValue(const std::shared_ptr<PSSpecifier>& specifier,
                                          const std::string& text);
    // A tap on the row: a switch flips, a link or list opens its pane, a
    // button sends its action. False when the row does nothing.
    virtual bool selectSpecifier(const std::shared_ptr<PSSpecifier>& specifier);
    // The pane a link or list row opens, made once and kept for the row.
    std::shared_ptr<PSViewController>
    controllerForSpecifier(const std::shared_ptr<PSSpecifier>& specifier);

    const std::shared_ptr<UIScrollView>& table() const { return m_table; }
    CGFloat contentHeight() const;

    std::string_view className() const override { return "PSListController"; }

protected:
    PSListController();

    // Lets a pane adjust a cell each time it is laid out.
    virtual void configureCell(PSTableCell&) {}

    // The inherited specifier list, filled on first use by panes.
    std::vector<std::shared_ptr<PSSpecifier>> _specifiers;

private:
    // A pane with more rows than this is cut off at it.
    static constexpr size_t kMaximumRows = 512;

    std::shared_ptr<NSBundle> bundleForLink(const PSSpecifier& specifier);

    std::shared_ptr<NSBundle> m_resourceBundle;
    std::shared_ptr<UIScrollView> m_table;
    std::map<std::shared_ptr<PSSpecifier>, std::shared_ptr<PSTableCell>> m_cells;
    std::map<std::shared_ptr<PSSpecifier>, std::shared_ptr<PSViewController>> m_children;
    std::set<std::string> m_reportedPlists;
};
