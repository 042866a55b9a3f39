#include "core/people.h"
