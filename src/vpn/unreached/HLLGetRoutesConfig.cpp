#include "vpn/unreached/HLLGetRoutesConfig.h"
