#pragma once

#include <QtGlobal>

// The purpose of a verification-code screen: what the code is sent for and what continuing does.
enum class VerityCodeType : quint8 { bindPhone = 0, bindEmail = 1, registerPhone = 2, registerEmail = 3, findPhone = 4, findEmail = 5 };
