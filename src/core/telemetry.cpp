#include "telemetry.h"

void initializeAFE(cell *afe)
{
    if (!afe)
        return;
    const int maxv = afe->maxv;
    const int minv = afe->minv;
    const int avgv = afe->avgv;
    *afe = cell();
    afe->maxv = maxv;
    afe->minv = minv;
    afe->avgv = avgv;
}
