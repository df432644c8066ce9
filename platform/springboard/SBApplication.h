#pragma once

#include "platform/objc/Runtime.h"

#include <optional>
#include <string>

// An application the home screen knows, as the media controller reports it.
class SBApplication : public NSObject {
public:
    static Class registerClass();
    static std::shared_ptr<SBApplication> create(std::string bundleIdentifier);

    // -bundleIdentifier
    std::optional<std::string> bundleIdentifier() const { return m_bundleIdentifier; }

    std::string_view className() const override { return "SBApplication"; }

protected:
    explicit SBApplication(std::string bundleIdentifier)
        : m_bundleIdentifier(std::move(bundleIdentifier)) {}

private:
    std::string m_bundleIdentifier;
};
