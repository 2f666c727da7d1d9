#include "uikit/ConnectImageView.h"
