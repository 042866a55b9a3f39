#include "core/sky.h"
