#include "core/places.h"
