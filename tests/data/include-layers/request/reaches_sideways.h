#include "sections/cell_grid.h"
#include "platform/xml.h"
