#pragma once

class UserDefaults;

// True for global mode. Reads "kProxyMode": absent gives true (global), an integer gives
// value != 0, a value of any other type gives true.
bool isProxyModeOn();
bool isProxyModeOn(const UserDefaults &defaults);
