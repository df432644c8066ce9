#include "imaging/CCLocalMaximum.h"

std::shared_ptr<CCLocalMaximum> CCLocalMaximum::create() {
    return makeObject<CCLocalMaximum>();
}
