#pragma once

// The main screen's scale, readable from any thread: image contexts opened
// with scale 0 use it. UIScreen sets it from the device profile.
double UIScreenMainScale();
void UIScreenSetMainScale(double scale);
