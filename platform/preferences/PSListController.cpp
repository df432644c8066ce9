#include "platform/preferences/PSListController.h"

#include "platform/corefoundation/CFNotificationCenter.h"
#include "platform/corefoundation/CFPreferences.h"
#include "platform/corefoundation/PropertyListFile.h"
#include "platform/device/DeviceRoot.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/SystemLog.h"
#include "platform/preferences/PSGroupedTableDrawer.h"
#include "platform/preferences/PSListItemsController.h"
#include "platform/preferences/PSRootController.h"
#include "platform/preferences/PSRowInput.h"
#include "platform/preferences/PSSpecifier.h"
#include "platform/preferences/PSTableCell.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIScrollView.h"

namespace {

constexpr const char* kLogSource = "Preferences";
constexpr const char* kPreferenceBundlesFolder = "/Library/PreferenceBundles/";

void log(const std::string& text) {
    SystemLog::shared().write(kLogSource, text);
}

bool isPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

} // namespace

PSListController::PSListController() {
    registerClass();
}

std::shared_ptr<PSListController> PSListController::create() {
    return makeObject<PSListController>();
}

Class PSListController::registerClass() {
    static Class cls = [] {
        PSViewController::registerClass();
        Class registered = objc_registerClass("PSListController", "PSViewController");
        class_addMethod(registered, "specifiers", &PSListController::specifiers);
        class_addMethod(registered, "clearCache", &PSListController::clearCache);
        class_addMethod(registered, "reload", &PSListController::reload);
        class_addMethod(registered, "loadView", &PSListController::loadView);
        class_addMethod(registered, "viewWillAppear:", &PSListController::viewWillAppear);
        class_addMethod<id>(registered->metaclass(), "new",
                            [](const id&, const SEL&) -> id { return PSListController::create(); });
        return registered;
    }();
    return cls;
}

std::vector<std::shared_ptr<PSSpecifier>> PSListController::specifiers() {
    return _specifiers;
}

void PSListController::setSpecifiers(std::vector<std::shared_ptr<PSSpecifier>> specifiers) {
    _specifiers = std::move(specifiers);
    reload();
}

std::vector<std::shared_ptr<PSSpecifier>>
PSListController::loadSpecifiersFromPlistName(const std::string& name, const id& target) {
    std::vector<std::shared_ptr<PSSpecifier>> result;
    std::string where =
        (m_resourceBundle ? m_resourceBundle->bundlePath() : "(no bundle)") + "/" + name + ".plist";
    // A pane asks again while its list is empty; the trouble is told once.
    auto report = [&](const std::string& problem) {
        if (m_reportedPlists.insert(where).second)
            log(where + ": " + problem);
    };
    auto path = m_resourceBundle ? m_resourceBundle->pathForResource(name, "plist") : std::nullopt;
    auto hostPath = path ? DeviceRoot::resolve(*path) : std::nullopt;
    if (!hostPath) {
        report("missing; showing an empty pane");
        return result;
    }
    auto contents = PropertyListFile::read(*hostPath);
    if (contents.status != PropertyListFile::Status::Read) {
        report(PropertyListFile::describe(contents.status) + "; showing an empty pane");
        return result;
    }
    const CFDictionary* root = contents.value ? contents.value->dictionary() : nullptr;
    const CFPropertyList* items = CFDictionaryGetValue(root, "items");
    if (!items || !items->array()) {
        report("no list of items; showing an empty pane");
        return result;
    }
    if (const CFPropertyList* title = CFDictionaryGetValue(root, "title");
        title && title->string() && navigationItem()->title().empty())
        navigationItem()->setTitle(*title->string());

    size_t skipped = 0;
    std::string firstProblem;
    for (const CFPropertyList& item : *items->array()) {
        if (result.size() == kMaximumRows) {
            ++skipped;
            firstProblem = firstProblem.empty() ? "more than 512 rows" : firstProblem;
            continue;
        }
        std::string problem;
        auto specifier = PSSpecifier::fromPlistItem(item, &problem);
        if (!specifier) {
            ++skipped;
            if (firstProblem.empty())
                firstProblem = problem;
            continue;
        }
        specifier->setTarget(target);
        result.push_back(std::move(specifier));
    }
    if (skipped)
        report(std::to_string(skipped) + " item(s) left out, the first for " + firstProblem);
    return result;
}

void PSListController::clearCache() {
    m_cells.clear();
}

void PSListController::loadView() {
    CGRect screen = UIScreen::mainScreen()->bounds();
    m_table = UIScrollView::create({{0, 0}, screen.size});
    m_table->setBackgroundColor(PSGroupedTableDrawer::backgroundColor());
    setView(m_table);
    reload();
}

void PSListController::viewWillAppear(bool animated) {
    PSViewController::viewWillAppear(animated);
}

std::optional<CFPropertyList>
PSListController::readPreferenceValue(const std::shared_ptr<PSSpecifier>& specifier) {
    auto key = specifier ? specifier->key() : std::nullopt;
    auto domain = specifier ? specifier->defaults() : std::nullopt;
    if (!key || !domain)
        return std::nullopt;
    // Another program (the Settings app's own rows in another pane, a
    // respring's new process) may have written the domain since.
    CFPreferencesAppSynchronize(*domain);
    return CFPreferencesCopyAppValue(*key, *domain);
}

bool PSListController::setPreferenceValue(std::optional<CFPropertyList> value,
                                          const std::shared_ptr<PSSpecifier>& specifier) {
    auto key = specifier ? specifier->key() : std::nullopt;
    auto domain = specifier ? specifier->defaults() : std::nullopt;
    if (!key || !domain)
        return false;
    CFPreferencesSetAppValue(*key, std::move(value), *domain);
    if (!CFPreferencesAppSynchronize(*domain)) {
        log(*domain + ": \"" + *key + "\" could not be saved");
        return false;
    }
    if (auto name = specifier->postNotification(); name && !name->empty())
        CFNotificationCenterPostNotification(CFNotificationCenterGetDistributedCenter(), *name,
                                             nullptr, nullptr, true);
    return true;
}

std::shared_ptr<PSSpecifier> PSListController::specifierForKey(const std::string& key) {
    for (const auto& specifier : specifiers()) {
        if (specifier->key() == key)
            return specifier;
    }
    return nullptr;
}

std::shared_ptr<PSSpecifier> PSListController::specifierNamed(const std::string& title) {
    for (const auto& specifier : specifiers()) {
        if (specifier->cellType() != PSCellType::Group && specifier->name() == title)
            return specifier;
    }
    return nullptr;
}

std::shared_ptr<PSTableCell>
PSListController::cellForSpecifier(const std::shared_ptr<PSSpecifier>& specifier) {
    auto found = m_cells.find(specifier);
    return found == m_cells.end() ? nullptr : found->second;
}

CGFloat PSListController::contentHeight() const {
    return m_table ? m_table->contentSize().height : 0;
}

void PSListController::reload() {
    if (!m_table)
        return;
    const CGFloat width = m_table->bounds().size.width;
    auto rows = specifiers();
    if (rows.size() > kMaximumRows)
        rows.resize(kMaximumRows);
    PSGroupedTableDrawer(*m_table).draw(rows, [&](const std::shared_ptr<PSSpecifier>& specifier) {
        auto& cell = m_cells[specifier];
        if (!cell)
            cell = PSTableCell::create(specifier, readPreferenceValue(specifier), width);
        configureCell(*cell);
        return cell;
    });
}

std::optional<std::string>
PSListController::enterValue(const std::shared_ptr<PSSpecifier>& specifier,
                             const std::string& text) {
    if (!specifier)
        return "There is no such row.";
    auto outcome = PSRowInput::interpret(*specifier, text);
    auto cell = cellForSpecifier(specifier);
    std::optional<std::string> refusal;
    if (outcome.action == PSRowInput::Outcome::Action::Refuse) {
        refusal = outcome.message;
    } else if (!setPreferenceValue(outcome.value, specifier)) {
        refusal = "The setting could not be saved.";
    } else if (cell) {
        cell->setStoredValue(outcome.value);
    }
    if (cell) {
        cell->setMessage(refusal.value_or(""));
        reload();
    }
    return refusal;
}

bool PSListController::selectSpecifier(const std::shared_ptr<PSSpecifier>& specifier) {
    if (!specifier)
        return false;
    switch (specifier->cellType()) {
    case PSCellType::Switch: {
        auto cell = cellForSpecifier(specifier);
        bool on = cell ? cell->isOn()
                       : PSRowInput::switchIsOn(*specifier, readPreferenceValue(specifier));
        return !enterValue(specifier, on ? "off" : "on");
    }
    case PSCellType::Button: {
        auto action = specifier->action();
        if (!action || action->empty())
            return false;
        id target = specifier->target();
        objc_sendAction(target ? target : shared_from_this(), *action, specifier);
        return true;
    }
    case PSCellType::Link:
    case PSCellType::LinkList: {
        auto controller = controllerForSpecifier(specifier);
        auto root = rootController();
        if (!controller || !root)
            return false;
        root->pushController(controller);
        return true;
    }
    default:
        return false;
    }
}

std::shared_ptr<NSBundle> PSListController::bundleForLink(const PSSpecifier& specifier) {
    auto name = specifier.stringProperty("bundle");
    if (!name)
        return m_resourceBundle;
    if (!isPlainName(*name)) {
        log("\"" + *name + "\" is not a bundle name");
        return nullptr;
    }
    auto bundle = NSBundle::bundleWithPath(kPreferenceBundlesFolder + *name + ".bundle");
    if (!bundle) {
        log(std::string(kPreferenceBundlesFolder) + *name + ".bundle: missing");
        return nullptr;
    }
    return bundle->load() ? bundle : nullptr;
}

std::shared_ptr<PSViewController>
PSListController::controllerForSpecifier(const std::shared_ptr<PSSpecifier>& specifier) {
    if (!specifier)
        return nullptr;
    if (auto found = m_children.find(specifier); found != m_children.end())
        return found->second;

    std::shared_ptr<PSViewController> controller;
    if (specifier->cellType() == PSCellType::LinkList) {
        controller = PSListItemsController::create(
            std::static_pointer_cast<PSListController>(shared_from_this()), specifier);
    } else if (specifier->cellType() == PSCellType::Link) {
        auto bundle = bundleForLink(*specifier);
        if (specifier->stringProperty("bundle") && !bundle)
            return nullptr;
        // A link names its pane's class, or leaves it to the bundle's principal class.
        auto className = specifier->detail();
        Class cls =
            className ? objc_getClass(*className) : (bundle ? bundle->principalClass() : nullptr);
        if (!cls) {
            log("\"" + specifier->name() + "\" leads to no class" +
                (className ? " named " + *className : std::string()));
            return nullptr;
        }
        controller = std::dynamic_pointer_cast<PSViewController>(objc_msgSend<id>(cls, "new"));
        if (!controller) {
            log(cls->name() + " is not a settings pane");
            return nullptr;
        }
        if (auto list = std::dynamic_pointer_cast<PSListController>(controller))
            list->setResourceBundle(bundle);
        if (controller->navigationItem()->title().empty())
            controller->navigationItem()->setTitle(specifier->name());
    }
    if (controller)
        m_children.emplace(specifier, controller);
    return controller;
}
