// The report engine's failures.
#pragma once

#include "platform/exceptions.h"

class ERpError : public Exception {
public:
    using Exception::Exception;
};
