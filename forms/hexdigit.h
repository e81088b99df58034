#pragma once

// The value of one hexadecimal digit, or -1 for any other character. Every reader of untrusted
// text that meets hexadecimal (RTF escapes and pictures, registry exports) goes through this one.
constexpr int hexDigitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}
