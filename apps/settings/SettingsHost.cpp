#include "apps/settings/SettingsHost.h"

#include "apps/common/QuotedName.h"
#include "apps/settings/SettingsFinger.h"
#include "apps/settings/SettingsKeyboard.h"
#include "platform/corefoundation/PropertyListFile.h"
#include "platform/device/DeviceRoot.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/messageui/MFMailComposeViewController.h"
#include "platform/posix/ProcessSpawn.h"
#include "platform/preferences/PSListController.h"
#include "platform/preferences/PSRootController.h"
#include "platform/preferences/PSRowInput.h"
#include "platform/preferences/PSSpecifier.h"
#include "platform/preferences/PSTableCell.h"
#include "platform/render/Renderer.h"
#include "platform/render/ViewDump.h"
#include "platform/system/SystemLog.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UIWindow.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <set>

namespace {

constexpr const char* kEntriesFolder = "/Library/PreferenceLoader/Preferences";
constexpr const char* kPreferredEntry = "Rotix";
constexpr size_t kMaximumEntries = 256;

Json valueJson(const std::optional<CFPropertyList>& value) {
    if (!value)
        return Json();
    if (value->isBoolean())
        return Json(value->boolValue());
    if (value->isNumber())
        return Json(value->doubleValue());
    if (const std::string* text = value->string())
        return Json(*text);
    return Json("<" + std::string(value->isArray() ? "array" : "value") + ">");
}

const char* kindName(PSCellType type) {
    switch (type) {
    case PSCellType::Group:
        return "group";
    case PSCellType::Link:
        return "link";
    case PSCellType::LinkList:
        return "list";
    case PSCellType::ListItem:
        return "choice";
    case PSCellType::Switch:
        return "switch";
    case PSCellType::Slider:
        return "slider";
    case PSCellType::EditText:
        return "text";
    case PSCellType::Button:
        return "button";
    case PSCellType::StaticText:
        return "static";
    case PSCellType::TitleValue:
        return "value";
    }
    return "unknown";
}

Json rowJson(PSListController& list, const std::shared_ptr<PSSpecifier>& specifier) {
    Json row = Json::object();
    row["title"] = specifier->name();
    row["kind"] = kindName(specifier->cellType());
    if (specifier->cellType() == PSCellType::Group) {
        row["footer"] = specifier->footerText() ? Json(*specifier->footerText()) : Json();
        return row;
    }
    if (auto key = specifier->key()) {
        row["key"] = *key;
        row["domain"] = specifier->defaults() ? Json(*specifier->defaults()) : Json();
        const CFPropertyList* fallback = specifier->defaultValue();
        row["default"] = fallback ? valueJson(*fallback) : Json();
    }
    if (auto cell = list.cellForSpecifier(specifier)) {
        if (specifier->key()) {
            if (specifier->cellType() == PSCellType::Switch)
                row["value"] = cell->isOn();
            else
                row["value"] = valueJson(cell->shownValue());
            row["stored"] = cell->storedValue().has_value();
            row["text"] = cell->valueText();
        }
        // Where the row is on the screen now, under the bar and scrolled
        // with the list: where a finger finds it.
        if (cell->superview() && list.table()) {
            CGRect frame = cell->frame();
            CGPoint offset = list.table()->contentOffset();
            row["frame"] = ViewDump::dumpRect(
                frame.origin.x - offset.x, frame.origin.y - offset.y + PSRootController::kBarHeight,
                frame.size.width, frame.size.height);
        }
        if (specifier->cellType() == PSCellType::ListItem)
            row["checked"] = cell->isChecked();
        if (!cell->message().empty())
            row["message"] = cell->message();
    }
    if (specifier->cellType() == PSCellType::Slider || PSRowInput::isNumeric(*specifier)) {
        auto [low, high] = PSRowInput::range(*specifier);
        if (specifier->numberProperty("min"))
            row["min"] = low;
        if (specifier->numberProperty("max"))
            row["max"] = high;
    }
    if (auto action = specifier->action())
        row["action"] = *action;
    if (auto detail = specifier->detail())
        row["detail"] = *detail;
    return row;
}

} // namespace

SettingsHost::SettingsHost(Options options)
    : m_options(std::move(options)), m_clock(makeClock(m_options.clock)),
      m_profile(m_options.device.value_or(UIDeviceProfile::iPhone7Plus())),
      m_finger(std::make_unique<SettingsFinger>(*this)),
      m_keyboard(std::make_unique<SettingsKeyboard>()) {
    if (!m_options.root.empty())
        DeviceRoot::set(m_options.root);
    NSRunLoop::mainRunLoop().setClock(m_clock);
    UIScreen::mainScreen()->setProfile(m_profile);
    UIDevice::currentDevice()->setProfile(m_profile);
    UIApplication::sharedApplication()->setInstalledSchemes(
        std::set<std::string>(std::begin(kBaseSchemes), std::end(kBaseSchemes)));
    MFMailComposeViewController::setCanSendMail(true);
}

SettingsHost::~SettingsHost() = default;

std::shared_ptr<PSListController> SettingsHost::makeEntriesList() {
    auto list = PSListController::create();
    list->navigationItem()->setTitle("Settings");
    std::vector<std::shared_ptr<PSSpecifier>> rows;
    rows.push_back(PSSpecifier::create(PSCellType::Group, ""));
    auto folder = DeviceRoot::resolve(kEntriesFolder);
    std::vector<std::filesystem::path> files;
    std::error_code error;
    if (folder && std::filesystem::is_directory(*folder, error)) {
        for (const auto& file : std::filesystem::directory_iterator(*folder, error)) {
            if (file.path().extension() == ".plist" && files.size() < kMaximumEntries)
                files.push_back(file.path());
        }
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        auto contents = PropertyListFile::read(file);
        const CFDictionary* root = contents.value ? contents.value->dictionary() : nullptr;
        const CFPropertyList* entry = CFDictionaryGetValue(root, "entry");
        std::string problem = "no entry";
        auto specifier = entry ? PSSpecifier::fromPlistItem(*entry, &problem) : nullptr;
        if (!specifier || specifier->cellType() != PSCellType::Link) {
            SystemLog::shared().write("Settings", file.filename().string() + ": " +
                                                      (specifier ? "not a link" : problem));
            continue;
        }
        rows.push_back(specifier);
    }
    list->setSpecifiers(std::move(rows));
    return list;
}

void SettingsHost::boot() {
    if (m_booted)
        return;
    m_booted = true;
    m_root = PSRootController::create();
    m_window = UIWindow::create(UIScreen::mainScreen()->bounds());
    auto entries = makeEntriesList();
    m_root->pushController(entries);
    std::shared_ptr<PSSpecifier> chosen;
    for (const auto& specifier : entries->specifiers()) {
        if (specifier->cellType() != PSCellType::Link)
            continue;
        if (!chosen || specifier->name() == kPreferredEntry)
            chosen = specifier;
        if (specifier->name() == kPreferredEntry)
            break;
    }
    if (chosen)
        entries->selectSpecifier(chosen);
    NSRunLoop::mainRunLoop().runUntilIdle();
    refreshWindow();
}

std::shared_ptr<PSViewController> SettingsHost::topController() const {
    return m_root ? m_root->topController() : nullptr;
}

void SettingsHost::pressEditingKey(const std::string& key) {
    if (key == "return") {
        if (auto refusal = m_keyboard->commit())
            std::cerr << "settings: the row refused: "
                      << printableText(*refusal, kMaximumRefusalCharacters) << "\n";
    } else if (key == "escape") {
        m_keyboard->cancel();
    } else if (key == "backspace") {
        m_keyboard->deleteBackward();
    }
    NSRunLoop::mainRunLoop().runUntilIdle();
    refreshWindow();
}

std::shared_ptr<PSListController> SettingsHost::topList() const {
    return std::dynamic_pointer_cast<PSListController>(topController());
}

void SettingsHost::noticePresentedComposer() {
    auto top = topController();
    auto composer =
        top ? std::dynamic_pointer_cast<MFMailComposeViewController>(top->presentedViewController())
            : nullptr;
    if (composer &&
        std::find(m_composers.begin(), m_composers.end(), composer) == m_composers.end())
        m_composers.push_back(composer);
}

void SettingsHost::refreshWindow() {
    if (!m_window)
        return;
    noticePresentedComposer();
    CGRect screen = UIScreen::mainScreen()->bounds();
    m_window->setFrame(screen);
    while (!m_window->subviews().empty())
        m_window->subviews().back()->removeFromSuperview();
    m_root->layout();
    m_window->addSubview(m_root->view());
    if (auto top = topController(); top && top->presentedViewController()) {
        auto sheet = top->presentedViewController()->view();
        sheet->setFrame(screen);
        m_window->addSubview(sheet);
    }
    if (auto alert = UIAlertView::visibleAlert()) {
        auto dim = UIView::create(screen);
        dim->setBackgroundColor(UIColor::colorWithWhite(0, 0.4));
        m_window->addSubview(dim);
        alert->layoutInScreen(screen);
        m_window->addSubview(alert);
    }
}

// Alerts and presented sheets are modal: nothing under them takes a tap.
std::optional<std::string> SettingsHost::requireInteractive() {
    boot();
    if (UIAlertView::visibleAlert())
        return "an alert is showing; answer it first";
    auto top = topController();
    if (top && top->presentedViewController())
        return "the mail composer is showing; finish it first";
    if (!topList())
        return "no settings pane is showing";
    return std::nullopt;
}

Json SettingsHost::dump() {
    boot();
    NSRunLoop::mainRunLoop().runUntilIdle();
    refreshWindow();
    Json json = Json::object();
    json["time"] = NSRunLoop::mainRunLoop().now();
    Json device = Json::object();
    device["name"] = m_profile.name;
    device["machine"] = m_profile.machine;
    CGRect bounds = UIScreen::mainScreen()->bounds();
    device["screen"] =
        ViewDump::dumpRect(bounds.origin.x, bounds.origin.y, bounds.size.width, bounds.size.height);
    json["device"] = std::move(device);

    Json navigation = Json::array();
    for (const auto& controller : m_root->controllers()) {
        Json entry = Json::object();
        entry["class"] = controller->className();
        entry["title"] = controller->navigationItem()->title();
        navigation.push_back(std::move(entry));
    }
    json["navigation"] = std::move(navigation);

    Json pane;
    if (auto top = topController()) {
        pane = Json::object();
        pane["class"] = top->className();
        pane["title"] = top->navigationItem()->title();
        auto item = top->navigationItem()->rightBarButtonItem();
        Json button;
        if (item) {
            button = Json::object();
            button["title"] = item->title();
            button["style"] = static_cast<long>(item->style());
            button["action"] = item->action();
            button["target"] = item->target() ? Json(item->target()->className()) : Json();
        }
        pane["rightBarButton"] = std::move(button);
        Json rows = Json::array();
        if (auto list = topList()) {
            for (const auto& specifier : list->specifiers())
                rows.push_back(rowJson(*list, specifier));
        }
        pane["rows"] = std::move(rows);
        Json editing;
        if (m_keyboard->isEditing()) {
            editing = Json::object();
            editing["key"] = m_keyboard->row()->key().value_or("");
            editing["text"] = m_keyboard->text();
        }
        pane["editing"] = std::move(editing);
        if (auto list = topList(); list && list->table()) {
            pane["scrollOffset"] = list->table()->contentOffset().y;
            pane["contentHeight"] = list->contentHeight();
        }
    }
    json["pane"] = std::move(pane);

    Json alertJson;
    if (auto alert = UIAlertView::visibleAlert()) {
        alertJson = Json::object();
        alertJson["title"] = alert->title() ? Json(*alert->title()) : Json();
        alertJson["message"] = alert->message() ? Json(*alert->message()) : Json();
        Json buttons = Json::array();
        for (long i = 0; i < alert->numberOfButtons(); ++i)
            buttons.push_back(alert->buttonTitleAtIndex(i).value_or(""));
        alertJson["buttons"] = std::move(buttons);
        alertJson["cancelButtonIndex"] = alert->cancelButtonIndex();
        alertJson["tag"] = alert->tag();
        // Laid out as the window shows it, for a finger to find its buttons.
        alert->layoutInScreen(UIScreen::mainScreen()->bounds());
        CGRect frame = alert->frame();
        alertJson["frame"] =
            ViewDump::dumpRect(frame.origin.x, frame.origin.y, frame.size.width, frame.size.height);
        auto delegate = alert->delegate();
        alertJson["delegate"] = delegate ? Json(delegate->className()) : Json();
    }
    json["alert"] = std::move(alertJson);

    Json urls = Json::array();
    for (const auto& url : UIApplication::sharedApplication()->openedURLs())
        urls.push_back(url);
    json["urlsOpened"] = std::move(urls);

    Json mail = Json::object();
    mail["canSendMail"] = MFMailComposeViewController::canSendMail();
    Json composed = Json::array();
    auto top = topController();
    for (const auto& composer : m_composers) {
        Json entry = Json::object();
        Json recipients = Json::array();
        for (const auto& recipient : composer->toRecipients())
            recipients.push_back(recipient);
        entry["toRecipients"] = std::move(recipients);
        entry["subject"] = composer->subject();
        entry["body"] = composer->messageBody();
        entry["isHTML"] = composer->isHTML();
        entry["presented"] = top && top->presentedViewController() == composer;
        entry["result"] =
            composer->result() ? Json(MFMailComposeResultName(*composer->result())) : Json();
        composed.push_back(std::move(entry));
    }
    mail["composed"] = std::move(composed);
    json["mail"] = std::move(mail);

    Json spawned = Json::array();
    for (const auto& record : ProcessSpawn::records()) {
        Json entry = Json::object();
        entry["path"] = record.path;
        entry["program"] = record.program;
        Json arguments = Json::array();
        for (const auto& argument : record.arguments)
            arguments.push_back(argument);
        entry["arguments"] = std::move(arguments);
        entry["result"] = record.result;
        entry["started"] = record.result == 0;
        if (record.waitOptions) {
            Json wait = Json::object();
            wait["options"] = *record.waitOptions;
            wait["result"] = static_cast<long>(record.waitResult.value_or(0));
            wait["error"] = record.waitError ? Json(*record.waitError) : Json();
            entry["wait"] = std::move(wait);
        }
        spawned.push_back(std::move(entry));
    }
    json["spawned"] = std::move(spawned);

    json["window"] = ViewDump::dumpView(m_window);
    Json log = Json::array();
    for (const auto& line : SystemLog::shared().lines())
        log.push_back(line.source + ": " + line.text);
    json["log"] = std::move(log);
    return json;
}

bool SettingsHost::writeSnapshot(const std::string& path, bool fullContent) {
    boot();
    NSRunLoop::mainRunLoop().runUntilIdle();
    refreshWindow();
    if (!fullContent)
        return Renderer::writePNG(m_window, UIScreen::mainScreen()->scale(), path);
    // The whole pane in one tall picture; overlays stay at the top.
    m_root->layoutForFullContent();
    m_window->setFrame({{0, 0}, m_root->view()->frame().size});
    bool written = Renderer::writePNG(m_window, UIScreen::mainScreen()->scale(), path);
    refreshWindow();
    return written;
}
