#include "graph/GraphView.h"
