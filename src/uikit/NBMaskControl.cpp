#include "uikit/NBMaskControl.h"
