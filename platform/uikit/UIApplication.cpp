#include "platform/uikit/UIApplication.h"

#include <mutex>

namespace {
std::mutex applicationMutex;
std::shared_ptr<UIApplication>& sharedSlot() {
    static std::shared_ptr<UIApplication> application;
    return application;
}

std::string schemeOf(const std::string& url) {
    auto colon = url.find(':');
    return colon == std::string::npos ? std::string() : url.substr(0, colon);
}
} // namespace

std::shared_ptr<UIApplication> UIApplication::create() {
    return makeObject<UIApplication>();
}

std::shared_ptr<UIApplication> UIApplication::sharedApplication() {
    std::lock_guard lock(applicationMutex);
    if (!sharedSlot())
        sharedSlot() = create();
    return sharedSlot();
}

void UIApplication::setSharedApplication(const std::shared_ptr<UIApplication>& application) {
    std::lock_guard lock(applicationMutex);
    sharedSlot() = application;
}

bool UIApplication::canOpenURL(const std::string& url) const {
    auto scheme = schemeOf(url);
    return !scheme.empty() && m_schemes.count(scheme) != 0;
}

bool UIApplication::openURL(const std::string& url) {
    if (!canOpenURL(url))
        return false;
    m_opened.push_back(url);
    if (m_handler)
        m_handler(url);
    return true;
}
