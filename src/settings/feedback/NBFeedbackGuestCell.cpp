#include "settings/feedback/NBFeedbackGuestCell.h"
