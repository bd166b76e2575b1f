// A sink of bytes: the writing face of the base library's binary streams.
#include "CbStreamWriteBinary.h"

CbStreamWriteBinary::~CbStreamWriteBinary() = default;
