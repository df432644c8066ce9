#include "settings/TwitterProfile.h"

#include "platform/foundation/NSString.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIApplication.h"
#include "settings/RotixSettingsBundle.h"

std::string TwitterProfile::clientName() {
    auto application = UIApplication::sharedApplication();
    if (application->canOpenURL(kTweetbotProbe))
        return "Tweetbot";
    if (application->canOpenURL(kTwitterProbe))
        return "Twitter";
    return "Safari";
}

std::string TwitterProfile::tweetbotURL(const std::string& handle) {
    return "tweetbot:///user_profile/" + handle;
}

std::string TwitterProfile::twitterURL(const std::string& handle) {
    return "twitter://user?screen_name=" + handle;
}

std::string TwitterProfile::webURL(const std::string& handle) {
    return std::string("http://") + kWebIntentHost + "/intent/follow?screen_name=" + handle;
}

void TwitterProfile::open(const std::string& handle) {
    auto application = UIApplication::sharedApplication();
    if (application->canOpenURL(kTweetbotProbe))
        application->openURL(tweetbotURL(handle));
    else if (application->canOpenURL(kTwitterProbe))
        application->openURL(twitterURL(handle));
    else
        application->openURL(webURL(handle));
}

void TwitterProfile::showFollowAlert(const id& delegate, const std::shared_ptr<NSBundle>& bundle,
                                     long tag) {
    std::string client = clientName();
    auto alert = UIAlertView::create(RotixLocalizedString(bundle, "FOLLOW"),
                                     stringWithFormat(RotixLocalizedString(bundle, "OPEN"), client),
                                     delegate, RotixLocalizedString(bundle, "NO"),
                                     {RotixLocalizedString(bundle, "YES")});
    alert->setTag(tag);
    alert->show();
}
