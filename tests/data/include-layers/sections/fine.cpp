#include "request/messages.h"
#include "platform/xml.h"
