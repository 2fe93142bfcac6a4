/* locale_charset for Windows builds: the ANSI code page as "CPnnn". */
#ifndef VEX_WIN_LOCALCHARSET_H
#define VEX_WIN_LOCALCHARSET_H

#ifdef __cplusplus
extern "C" {
#endif

const char *locale_charset(void);

#ifdef __cplusplus
}
#endif

#endif
