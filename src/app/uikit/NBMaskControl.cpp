#include "app/uikit/NBMaskControl.h"
