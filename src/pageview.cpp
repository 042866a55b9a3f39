#include "pageview.h"
