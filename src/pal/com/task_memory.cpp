#include "pal/com/stream.h"

#include <cstdlib>

// Task memory crosses module boundaries (callee allocates, caller frees), so
// every module must share one heap: the C heap.
void* CoTaskMemAlloc(SIZE_T cb)
{
    // A zero-byte request still yields a distinct, freeable pointer.
    return std::malloc(cb != 0 ? cb : 1);
}

void CoTaskMemFree(void* pv)
{
    std::free(pv);
}
