  #  include <request/messages.h>
#include "platform/files.h"
