#include "home/OOHomeMenuView.h"
