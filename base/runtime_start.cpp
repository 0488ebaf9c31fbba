// Two helpers of the runtime library's start-up code that the launcher
// image does not need, replaced by trivial ones so that their code and
// texts (about 4 KB of a 64 KB image) stay out of it.
#include <stdlib.h>

extern "C" {

// Bounds of the table of relocations the linker leaves for the start-up
// code to apply: data of a DLL that code reaches without an import
// declaration. The launcher reaches system DLLs through their headers, so
// the table is empty; should a change ever fill it, the launcher stops at
// once instead of running with wrong addresses.
extern char __RUNTIME_PSEUDO_RELOC_LIST__;
extern char __RUNTIME_PSEUDO_RELOC_LIST_END__;

void _pei386_runtime_relocator() {
    if (&__RUNTIME_PSEUDO_RELOC_LIST__ != &__RUNTIME_PSEUDO_RELOC_LIST_END__) abort();
}

// The library's default reports math errors on the standard error, which a
// GUI program lacks; the launcher does no floating-point math. 0: the
// library's usual handling (errno), without the report.
struct _exception;
int __cdecl _matherr(struct _exception*) { return 0; }
}
