#pragma once

// Moved to widgets/, where the meeting dialogs use it too; kept under its
// old name for the bench, which still includes it from here.
#include "widgets/loginshared.h"
