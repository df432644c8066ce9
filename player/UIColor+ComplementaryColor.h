#pragma once

#include "platform/uikit/UIColor.h"

// +[UIColor oppositeColorOf:] of the ComplementaryColor category: it answers
// the colour it is given, unchanged (no complement is computed), and nothing
// for nothing.
UIColorRef UIColorOppositeColorOf(const UIColorRef& color);
