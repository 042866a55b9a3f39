#include "core/lunarcalendar.h"
