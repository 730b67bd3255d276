// Captions with mark-up and the tables of the printed page.
#include "report/PageText.h"

#include <gtest/gtest.h>
