#pragma once

#include "platform/uikit/UIResponder.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

// The application object. The process makes one; sharedApplication answers it.
// URL opening is recorded (a host may hand it on to the desktop), and which
// schemes count as installed is set by the host.
class UIApplication : public UIResponder {
public:
    static std::shared_ptr<UIApplication> sharedApplication();
    static void setSharedApplication(const std::shared_ptr<UIApplication>& application);
    static std::shared_ptr<UIApplication> create();

    bool canOpenURL(const std::string& url) const;
    bool openURL(const std::string& url);
    const std::vector<std::string>& openedURLs() const { return m_opened; }
    void setInstalledSchemes(std::set<std::string> schemes) { m_schemes = std::move(schemes); }
    void setURLHandler(std::function<void(const std::string&)> handler) {
        m_handler = std::move(handler);
    }

    std::string_view className() const override { return "UIApplication"; }

protected:
    UIApplication() = default;

private:
    std::set<std::string> m_schemes{"http", "https"};
    std::vector<std::string> m_opened;
    std::function<void(const std::string&)> m_handler;
};
