#include "common/unreached/HLLAppConstant.h"
