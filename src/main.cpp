#include "main.h"
