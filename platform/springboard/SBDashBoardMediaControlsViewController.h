#pragma once

#include "platform/objc/Runtime.h"
#include "platform/uikit/UIViewController.h"

// The lock screen's media-controls page. It shows the system's own media
// controls, which it is given when it is made; loading its view is the
// moment the page's content is built. Both go through the runtime.
class SBDashBoardMediaControlsViewController : public UIViewController {
public:
    static Class registerClass();
    static std::shared_ptr<SBDashBoardMediaControlsViewController> alloc();

    // -initWithMediaControlsViewController:
    id initWithMediaControlsViewController(const id& mediaControlsViewController);
    // -viewDidLoad
    void viewDidLoad() override;

    const id& mediaControlsViewController() const { return m_mediaControls; }

    std::string_view className() const override { return "SBDashBoardMediaControlsViewController"; }

protected:
    SBDashBoardMediaControlsViewController() = default;

private:
    id originalInitWithMediaControlsViewController(id mediaControlsViewController);
    void originalViewDidLoad();

    id m_mediaControls;
};

// The system's own media controls: a panel naming what plays.
class MPUSystemMediaControlsViewController : public UIViewController {
public:
    static std::shared_ptr<MPUSystemMediaControlsViewController> create();
    void loadView() override;
    std::string_view className() const override { return "MPUSystemMediaControlsViewController"; }

protected:
    MPUSystemMediaControlsViewController() = default;
};
