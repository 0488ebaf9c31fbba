// Start-up pieces of the C runtime that the launcher image does without,
// replaced by small ones: together they weigh several kilobytes of the
// 64 KB the launcher may take.
#include <math.h>
#include <stdlib.h>

extern "C" {

// The launcher calls no math function; the runtime's own handler only
// prints math errors to a console the launcher does not have.
int __cdecl _matherr(struct _exception*) { return 0; }

// The runtime patches references to data imported from DLLs at start-up.
// The launcher imports functions only, so the linker leaves the list of
// such references empty; should that ever change, the launcher stops here
// rather than run with unpatched references.
extern char __RUNTIME_PSEUDO_RELOC_LIST__;
extern char __RUNTIME_PSEUDO_RELOC_LIST_END__;

void _pei386_runtime_relocator(void) {
    if (&__RUNTIME_PSEUDO_RELOC_LIST__ != &__RUNTIME_PSEUDO_RELOC_LIST_END__) abort();
}

}  // extern "C"
