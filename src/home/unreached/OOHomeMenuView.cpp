#include "home/unreached/OOHomeMenuView.h"
