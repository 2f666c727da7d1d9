#include "vpn/PrivilegedRunner.h"

PrivilegedRunner::~PrivilegedRunner() = default;
