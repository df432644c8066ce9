#include "platform/uikit/UINavigationItem.h"

std::shared_ptr<UINavigationItem> UINavigationItem::create() {
    return makeObject<UINavigationItem>();
}
