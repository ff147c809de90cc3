#pragma once
// Quillex: GB (code page 936) to Big5 (code page 950) text conversion and back.
//
// A GB text is decoded, its simplified characters are mapped to their
// traditional forms, and the result is encoded as Big5; BIG5toGB does the
// reverse. A character without a counterpart in the target code page, and
// every byte sequence that is not valid in the source code page, becomes the
// replacement character "?" (one per character or bad sequence); nothing is
// dropped. QuillexLastReplacements tells how many replacements the calling
// thread's last conversion made.
//
// Each conversion takes a text of Length bytes (it may hold NUL bytes) and
// returns a text of its own making, allocated with malloc, NUL-terminated,
// its length (without the terminator) stored in *ResultLength when that is
// not null. The caller releases it with free: a process has one C allocator,
// so caller and library share the memory manager. The result is null only
// when the conversion could not run at all (no memory, no mapping data);
// QuillexLastReplacements is -1 then.

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

char* GBtoBIG5(const char* Text, size_t Length, size_t* ResultLength);
char* BIG5toGB(const char* Text, size_t Length, size_t* ResultLength);
int QuillexLastReplacements(void);

#ifdef __cplusplus
}
#endif
