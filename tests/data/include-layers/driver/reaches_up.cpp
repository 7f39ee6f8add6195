#include "interface/login_parse.h"
