#include "platform/messageui/MFMailComposeViewController.h"

#include "platform/uikit/UIScreen.h"
#include "platform/uikit/ViewBuilding.h"

#include <atomic>

namespace {

std::atomic<bool> mailAccountConfigured{true};

const UIColor kSystemBlue = UIColor::colorWithRed(0, 122 / 255.0, 1, 1);
const UIColor kSeparator = UIColor::colorWithWhite(0.78, 1);

} // namespace

std::shared_ptr<MFMailComposeViewController> MFMailComposeViewController::create() {
    return makeObject<MFMailComposeViewController>();
}

bool MFMailComposeViewController::canSendMail() {
    return mailAccountConfigured.load();
}

void MFMailComposeViewController::setCanSendMail(bool canSend) {
    mailAccountConfigured.store(canSend);
}

void MFMailComposeViewController::finishWithResult(MFMailComposeResult result) {
    m_result = result;
    auto self = shared_from_this();
    id delegate = mailComposeDelegate();
    if (delegate &&
        delegate->respondsToSelector("mailComposeController:didFinishWithResult:error:"))
        objc_msgSend<void, id, MFMailComposeResult, id>(
            delegate, "mailComposeController:didFinishWithResult:error:", self, result, nullptr);
}

// A sheet like the platform's composer: its bar, the address and subject
// fields and the body, built from what the presenter set.
void MFMailComposeViewController::loadView() {
    CGRect screen = UIScreen::mainScreen()->bounds();
    auto root = UIView::create(screen);
    root->setBackgroundColor(UIColor::whiteColor());
    CGFloat width = screen.size.width;

    auto bar = UIView::create({{0, 0}, {width, 64}});
    bar->setBackgroundColor(UIColor::colorWithWhite(0.97, 1));
    root->addSubview(bar);
    addLabel(*bar, "Cancel", {{8, 20}, {80, 44}}, UIFont::systemFontOfSize(17), kSystemBlue);
    addLabel(*bar, m_subject.empty() ? "New Message" : m_subject, {{88, 20}, {width - 176, 44}},
             UIFont::boldSystemFontOfSize(17), UIColor::blackColor(), NSTextAlignment::Center);
    addLabel(*bar, "Send", {{width - 88, 20}, {80, 44}}, UIFont::boldSystemFontOfSize(17),
             kSystemBlue, NSTextAlignment::Right);
    addHairline(*root, 0, 64, width, kSeparator);

    UIColor grey = UIColor::colorWithWhite(0.56, 1);
    UIFont font = UIFont::systemFontOfSize(15);
    std::string recipients;
    for (const auto& recipient : m_recipients)
        recipients += (recipients.empty() ? "" : ", ") + recipient;
    const std::pair<const char*, std::string> fields[] = {
        {"To:", recipients}, {"Cc/Bcc:", ""}, {"Subject:", m_subject}};
    CGFloat y = 64;
    for (const auto& [name, value] : fields) {
        addLabel(*root, name, {{16, y}, {80, 44}}, font, grey);
        addLabel(*root, value, {{100, y}, {width - 116, 44}}, font, UIColor::blackColor());
        y += 44;
        addHairline(*root, 16, y, width - 16, kSeparator);
    }
    addLabel(*root, m_body, {{16, y + 8}, {width - 32, 44}}, font, UIColor::blackColor());
    setView(root);
}

const char* MFMailComposeResultName(MFMailComposeResult result) {
    switch (result) {
    case MFMailComposeResultCancelled:
        return "cancelled";
    case MFMailComposeResultSaved:
        return "saved";
    case MFMailComposeResultSent:
        return "sent";
    case MFMailComposeResultFailed:
        return "failed";
    }
    return "unknown";
}
