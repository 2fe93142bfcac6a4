/* The part of iconv that freexl uses, for Windows builds: conversions from a
   Windows code page (or UTF-16LE) to UTF-8, done by the system's own
   MultiByteToWideChar and WideCharToMultiByte. Debian has no iconv for
   MinGW, and the code pages freexl asks for are all Windows code pages. */
#ifndef VEX_WIN_ICONV_H
#define VEX_WIN_ICONV_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void *iconv_t;

/* tocode must be UTF-8; fromcode is ASCII, UTF-8, UTF-16LE, MacRoman or CPnnn
   for a code page the system has. Otherwise (iconv_t)-1 with errno EINVAL. */
iconv_t iconv_open(const char *tocode, const char *fromcode);

/* Converts all of the input or nothing: EILSEQ for bytes not valid in the
   code page, EINVAL for an odd byte count in UTF-16LE, E2BIG when the output
   does not fit. */
size_t iconv(iconv_t cd, char **inbuf, size_t *inbytesleft, char **outbuf, size_t *outbytesleft);

int iconv_close(iconv_t cd);

#ifdef __cplusplus
}
#endif

#endif
