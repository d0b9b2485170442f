#include "app/basevalues.h"

BaseValues *baseValues = nullptr;
