#include "core/groupcompatibility.h"
