// Allocation for the launcher image. The C++ library's own operator new
// reports failure by throwing, which would link its whole exception
// machinery into an image built without exceptions.
#include <stdlib.h>

#include <new>

void* operator new(size_t size) {
    void* p = malloc(size ? size : 1);
    if (!p) abort();
    return p;
}

void* operator new[](size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }
