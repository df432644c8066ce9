#include "platform/foundation/HexDigit.h"

#include <glib.h>

int hexDigitValue(char c) {
    return g_ascii_xdigit_value(c);
}
