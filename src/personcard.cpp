#include "personcard.h"
