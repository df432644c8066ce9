#include "platform/uikit/UIScreen.h"

#include "platform/uikit/UIScreenScale.h"

std::shared_ptr<UIScreen> UIScreen::mainScreen() {
    static std::shared_ptr<UIScreen> screen = [] {
        auto created = makeObject<UIScreen>();
        created->setProfile(UIDeviceProfile::iPhone7Plus());
        return created;
    }();
    return screen;
}

CGRect UIScreen::bounds() const {
    std::lock_guard lock(m_mutex);
    return {{0, 0}, m_size};
}

CGFloat UIScreen::scale() const {
    std::lock_guard lock(m_mutex);
    return m_scale;
}

void UIScreen::setProfile(const UIDeviceProfile& profile) {
    {
        std::lock_guard lock(m_mutex);
        m_size = profile.screenSize;
        m_scale = profile.scale;
    }
    UIScreenSetMainScale(profile.scale);
}

void UIScreen::setBoundsSize(CGSize size) {
    std::lock_guard lock(m_mutex);
    m_size = size;
}
