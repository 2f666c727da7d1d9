#pragma once

class UserDefaults;

// True for global mode. Reads "kProxyMode": absent gives true (global), an integer gives
// value != 0, a value of any other type gives true.
bool isProxyModeOn();
bool isProxyModeOn(const UserDefaults &defaults);

// True when TUN mode is on. Reads "kTunStateKey" as a Bool: start-up registers it true, and with
// nothing stored or registered it reads false. The one reading for the files, the road and the
// engines, so they never disagree.
bool isTunStateOn();
