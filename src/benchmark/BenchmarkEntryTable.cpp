// The measuring objects of an entry: kind, block size, sample count, queue depth
// and colour (HSV: hue, saturation, value), in the entry's order.
#include "benchmark/BenchmarkEntryTable.h"

namespace vexa {

const std::array<TIopsRow, 5> kMixedRows{{
    {bkSequentialRead, 512, 6000, 0, 160, 0.25, 0.75},
    {bkSequentialRead, 4096, 5000, 0, 10, 0.25, 0.75},
    {bkSequentialRead, 131072, 1000, 0, 200, 0.25, 0.75},
    {bkRandomRead, 4096, 4096, 0, 140, 0.25, 0.75},
    {bkAccessTime, 512, 8192, 0, 80, 0.25, 0.75},
}};

// Queue depths 1 to 32, hue 60 apart.
const std::array<TIopsRow, 6> kQueuedRows{{
    {bkRandomRead, 4096, 32768, 1, 0, 0.3, 0.75},
    {bkRandomRead, 4096, 32768, 2, 60, 0.3, 0.75},
    {bkRandomRead, 4096, 32768, 4, 120, 0.3, 0.75},
    {bkRandomRead, 4096, 32768, 8, 180, 0.3, 0.75},
    {bkRandomRead, 4096, 32768, 16, 240, 0.3, 0.75},
    {bkRandomRead, 4096, 32768, 32, 300, 0.3, 0.75},
}};

}  // namespace vexa
