#pragma once

// The value of one hexadecimal digit of either case, or -1 for any other
// character; the one reading shared by every parser of escapes and colours.
int hexDigitValue(char c);
