#include "whoim.h"
