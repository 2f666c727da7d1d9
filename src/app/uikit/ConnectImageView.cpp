#include "app/uikit/ConnectImageView.h"
