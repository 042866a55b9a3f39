#include "core/contacts.h"
