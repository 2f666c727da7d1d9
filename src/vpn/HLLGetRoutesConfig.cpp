#include "vpn/HLLGetRoutesConfig.h"
