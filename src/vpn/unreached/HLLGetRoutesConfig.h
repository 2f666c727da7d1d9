#pragma once

// Nothing in the client creates this yet; it is kept beside HLLDealWithRoutesConfig.
// Kept beside HLLDealWithRoutesConfig for the programs that share the app group; it holds
// nothing and does nothing.
class HLLGetRoutesConfig
{
};
