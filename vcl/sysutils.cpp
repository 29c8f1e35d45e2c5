#include "vcl/sysutils.h"

std::string IntToStr(int value) { return std::to_string(value); }
