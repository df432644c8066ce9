#pragma once

#include "platform/objc/NSObject.h"

#include <memory>
#include <string>

class NSBundle;

// A Twitter profile opened in whichever client the device has: Tweetbot,
// else the Twitter app, else the web follow page in Safari. The clients are
// asked again at each use, so an app installed meanwhile is found.
class TwitterProfile {
public:
    static constexpr const char* kTweetbotProbe = "tweetbot:";
    static constexpr const char* kTwitterProbe = "twitter:";
    // The web follow page, over plain HTTP as the platform opens it in Safari.
    static constexpr const char* kWebIntentHost = "twitter.com";

    // "Tweetbot", "Twitter" or "Safari".
    static std::string clientName();
    static void open(const std::string& handle);

    static std::string tweetbotURL(const std::string& handle);
    static std::string twitterURL(const std::string& handle);
    static std::string webURL(const std::string& handle);

    // The follow alert: title "FOLLOW", message "OPEN" naming the client,
    // buttons "NO" and "YES", all from the bundle's strings; the delegate
    // tells the profiles apart by the tag.
    static void showFollowAlert(const id& delegate, const std::shared_ptr<NSBundle>& bundle,
                                long tag);
};
