#pragma once

// Kept beside HLLDealWithRoutesConfig for the programs that share the app group; it holds
// nothing and does nothing.
class HLLGetRoutesConfig
{
};
