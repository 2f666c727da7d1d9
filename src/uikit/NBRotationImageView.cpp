#include "uikit/NBRotationImageView.h"
