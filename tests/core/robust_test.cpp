#include "analysis/RobustLines.h"
