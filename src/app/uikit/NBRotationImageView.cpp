#include "app/uikit/NBRotationImageView.h"
