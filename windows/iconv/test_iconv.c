/* The iconv for Windows builds, run under Wine or Windows: each row converts
   one input to UTF-8 or fails with the errno iconv gives. Prints one line per
   failed row and the count; exits non-zero on any failure. */
#include "iconv.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

struct Row
{
    const char *name;
    const char *from;
    const char *input;
    size_t inputLength;
    size_t room; /* output bytes offered */
    const char *expected; /* UTF-8, or NULL for a failure */
    int error;
};

#define IN(s) s, sizeof(s) - 1

static const struct Row rows[] = {
    {"ascii", "ASCII", IN("Zeit 12,34"), 64, "Zeit 12,34", 0},
    {"cp1252 umlauts", "CP1252", IN("M\xfc\xdf\x69g \x80"), 64, "M\xc3\xbc\xc3\x9fig \xe2\x82\xac", 0},
    {"cp850 umlauts", "CP850", IN("\x81\x84\x94"), 64, "\xc3\xbc\xc3\xa4\xc3\xb6", 0},
    {"cp1250", "CP1250", IN("\x8a"), 64, "\xc5\xa0", 0},
    {"cp932 double byte", "CP932", IN("\x93\xfa"), 64, "\xe6\x97\xa5", 0},
    {"utf-16le", "UTF-16LE", IN("A\0\xe4\0"), 64, "A\xc3\xa4", 0},
    {"utf-16le surrogate pair", "UTF-16LE", IN("\x3d\xd8\x00\xde"), 64, "\xf0\x9f\x98\x80", 0},
    {"macroman", "MacRoman", IN("\x8a"), 64, "\xc3\xa4", 0},
    {"empty", "CP1252", "", 0, 64, "", 0},
    {"utf-16le odd length", "UTF-16LE", IN("A\0B"), 64, NULL, EINVAL},
    {"utf-16le lone surrogate", "UTF-16LE", IN("\x3d\xd8" "A\0"), 64, NULL, EILSEQ},
    {"cp932 cut lead byte", "CP932", IN("\x93"), 64, NULL, EILSEQ},
    {"no room", "CP1252", IN("\xfc\xfc"), 3, NULL, E2BIG},
};

int main(void)
{
    int failed = 0;
    const size_t count = sizeof rows / sizeof rows[0];
    for (size_t i = 0; i < count; ++i) {
        const struct Row *row = &rows[i];
        const iconv_t cd = iconv_open("UTF-8", row->from);
        if (cd == (iconv_t)-1) {
            printf("FAIL %s: iconv_open\n", row->name);
            ++failed;
            continue;
        }
        char input[64];
        char output[64];
        memcpy(input, row->input, row->inputLength);
        char *in = input;
        char *out = output;
        size_t inLeft = row->inputLength;
        size_t outLeft = row->room;
        errno = 0;
        const size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
        iconv_close(cd);
        if (row->expected) {
            const size_t length = strlen(row->expected);
            if (result != 0 || inLeft != 0 || (size_t)(out - output) != length || memcmp(output, row->expected, length) != 0) {
                printf("FAIL %s: converted wrongly\n", row->name);
                ++failed;
            }
        } else if (result != (size_t)-1 || errno != row->error || inLeft != row->inputLength) {
            printf("FAIL %s: expected errno %d, got result %d errno %d\n", row->name, row->error, (int)result, errno);
            ++failed;
        }
    }
    const char *unknown[] = {"CP0", "CP99999", "KOI8-R", "CPx"};
    for (size_t i = 0; i < sizeof unknown / sizeof unknown[0]; ++i) {
        if (iconv_open("UTF-8", unknown[i]) != (iconv_t)-1) {
            printf("FAIL %s: opened\n", unknown[i]);
            ++failed;
        }
    }
    if (iconv_open("CP1252", "UTF-8") != (iconv_t)-1) {
        printf("FAIL to CP1252: opened\n");
        ++failed;
    }
    const int total = (int)count + 5;
    printf("iconv: %d passed, %d failed\n", total - failed, failed);
    return failed ? 1 : 0;
}
