// Must not build: code that links only the core cannot see the windows' headers.
#include "whoim.h"
