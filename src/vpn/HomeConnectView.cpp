#include "vpn/HomeConnectView.h"

HomeConnectView::~HomeConnectView() = default;
