#include "settings/feedback/NBFeedbackServiceCell.h"
