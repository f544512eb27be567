#include "platform/AllocatorTuning.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void giveLargeBlocksTheirOwnMappings()
{
#if defined(__GLIBC__)
    // Fixing the threshold also stops glibc from raising it after each large free, which would
    // otherwise move picture-sized blocks back into the shared heaps.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}
