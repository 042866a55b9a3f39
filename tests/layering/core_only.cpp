// Builds against the core library alone: what the core's own headers need is all there.
#include "core/catalogue.h"
#include "core/date.h"
#include "core/inifile.h"

int coreOnly() {
    return solvenna::kTopicCount;
}
