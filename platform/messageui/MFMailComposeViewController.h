#pragma once

#include "platform/objc/Runtime.h"
#include "platform/uikit/UIViewController.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

enum MFMailComposeResult : std::int32_t {
    MFMailComposeResultCancelled = 0,
    MFMailComposeResultSaved = 1,
    MFMailComposeResultSent = 2,
    MFMailComposeResultFailed = 3,
};

// The mail composer an app presents. The user's finishing (send, save,
// cancel or a failure) reaches the mail delegate as
// mailComposeController:didFinishWithResult:error: through the runtime; the
// presenter dismisses the composer. Whether mail can be sent is the
// device's, set here by the host.
class MFMailComposeViewController : public UIViewController {
public:
    static std::shared_ptr<MFMailComposeViewController> create();

    // +canSendMail
    static bool canSendMail();
    static void setCanSendMail(bool canSend);

    id mailComposeDelegate() const { return m_delegate.lock(); }
    void setMailComposeDelegate(const id& delegate) { m_delegate = delegate; }
    const std::vector<std::string>& toRecipients() const { return m_recipients; }
    void setToRecipients(std::vector<std::string> recipients) {
        m_recipients = std::move(recipients);
    }
    const std::string& subject() const { return m_subject; }
    void setSubject(std::string subject) { m_subject = std::move(subject); }
    const std::string& messageBody() const { return m_body; }
    bool isHTML() const { return m_isHTML; }
    // -setMessageBody:isHTML:
    void setMessageBody(std::string body, bool isHTML) {
        m_body = std::move(body);
        m_isHTML = isHTML;
    }

    // The user finishes with the composer; the delegate hears the result.
    void finishWithResult(MFMailComposeResult result);
    const std::optional<MFMailComposeResult>& result() const { return m_result; }

    void loadView() override;

    std::string_view className() const override { return "MFMailComposeViewController"; }

protected:
    MFMailComposeViewController() = default;

private:
    WeakId m_delegate;
    std::vector<std::string> m_recipients;
    std::string m_subject;
    std::string m_body;
    bool m_isHTML = false;
    std::optional<MFMailComposeResult> m_result;
};

const char* MFMailComposeResultName(MFMailComposeResult result);
