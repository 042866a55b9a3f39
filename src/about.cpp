#include "about.h"
