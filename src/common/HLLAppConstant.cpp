#include "common/HLLAppConstant.h"
