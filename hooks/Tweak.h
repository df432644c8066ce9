#pragma once

#include "platform/objc/NSObject.h"

#include <memory>

class Rotix;

// The shared player, made by the first media-controls page that loads its
// view, and the latest notification-list controller. Both live for the rest
// of the process.
extern std::shared_ptr<Rotix> rotix;
extern id notificationListController;

// The module initialiser: installs the method replacements on the lock
// screen's classes and adds +[SpringBoard sharedInstanceRotix]. A class the
// running system lacks is logged and its replacements skipped.
void TweakInitialize();
