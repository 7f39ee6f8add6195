#include "driver/staging.h"
#include "sections/cell_grid.h"
