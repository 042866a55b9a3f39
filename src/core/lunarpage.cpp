#include "core/lunarpage.h"
