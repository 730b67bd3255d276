#include "table/PointsView.h"
