#include "iconv.h"
#include "localcharset.h"

#include <errno.h>
#include <limits.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <windows.h>

enum { CodePageUtf16Le = 1200, CodePageAscii = 20127, CodePageMacRoman = 10000 };

static UINT code_page_of(const char *name)
{
    if (_stricmp(name, "UTF-8") == 0 || _stricmp(name, "UTF8") == 0)
        return CP_UTF8;
    if (_stricmp(name, "UTF-16LE") == 0)
        return CodePageUtf16Le;
    if (_stricmp(name, "ASCII") == 0 || _stricmp(name, "US-ASCII") == 0)
        return CodePageAscii;
    if (_stricmp(name, "MacRoman") == 0)
        return CodePageMacRoman;
    if (_strnicmp(name, "CP", 2) == 0 && name[2] >= '1' && name[2] <= '9') {
        char *end = NULL;
        const unsigned long number = strtoul(name + 2, &end, 10);
        if (*end == '\0' && number < 65536 && IsValidCodePage((UINT)number))
            return (UINT)number;
    }
    return 0;
}

iconv_t iconv_open(const char *tocode, const char *fromcode)
{
    const UINT from = code_page_of(fromcode);
    if (code_page_of(tocode) != CP_UTF8 || from == 0) {
        errno = EINVAL;
        return (iconv_t)-1;
    }
    return (iconv_t)(uintptr_t)from;
}

int iconv_close(iconv_t cd)
{
    (void)cd;
    return 0;
}

size_t iconv(iconv_t cd, char **inbuf, size_t *inbytesleft, char **outbuf, size_t *outbytesleft)
{
    const UINT from = (UINT)(uintptr_t)cd;
    if (!inbuf || !*inbuf || *inbytesleft == 0)
        return 0; /* no shift state to reset or flush */
    if (*inbytesleft > INT_MAX / 2 || *outbytesleft > INT_MAX) {
        errno = E2BIG;
        return (size_t)-1;
    }

    const wchar_t *wide = NULL;
    wchar_t *converted = NULL;
    int wideLength = 0;
    if (from == CodePageUtf16Le) {
        if (*inbytesleft % 2 != 0) {
            errno = EINVAL;
            return (size_t)-1;
        }
        wideLength = (int)(*inbytesleft / 2);
        /* The input may not be aligned for wchar_t. */
        converted = malloc((size_t)wideLength * sizeof(wchar_t));
        if (!converted) {
            errno = ENOMEM;
            return (size_t)-1;
        }
        memcpy(converted, *inbuf, *inbytesleft);
        wide = converted;
    } else {
        /* A few stateful code pages (50220...) refuse this flag; freexl asks
           for none of them. */
        const DWORD flags = MB_ERR_INVALID_CHARS;
        wideLength = MultiByteToWideChar(from, flags, *inbuf, (int)*inbytesleft, NULL, 0);
        if (wideLength <= 0) {
            errno = EILSEQ;
            return (size_t)-1;
        }
        converted = malloc((size_t)wideLength * sizeof(wchar_t));
        if (!converted) {
            errno = ENOMEM;
            return (size_t)-1;
        }
        MultiByteToWideChar(from, flags, *inbuf, (int)*inbytesleft, converted, wideLength);
        wide = converted;
    }

    const int length = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, wideLength, NULL, 0, NULL, NULL);
    if (length <= 0) {
        free(converted);
        errno = EILSEQ;
        return (size_t)-1;
    }
    if ((size_t)length > *outbytesleft) {
        free(converted);
        errno = E2BIG;
        return (size_t)-1;
    }
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, wideLength, *outbuf, length, NULL, NULL);
    free(converted);
    *inbuf += *inbytesleft;
    *inbytesleft = 0;
    *outbuf += length;
    *outbytesleft -= (size_t)length;
    return 0;
}

const char *locale_charset(void)
{
    static char name[16];
    snprintf(name, sizeof name, "CP%u", GetACP());
    return name;
}
