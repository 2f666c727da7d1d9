#pragma once

#include "vpn/HLLPACUtilWrapper.h"

// Nothing in the client calls these; they are the switchboard's older entries, kept for the stored
// files that still name them. The connect road starts the engines with
// `HLLPACUtilWrapper::shared().start(EngineStart{...})` and the configuration it has just written;
// these start from the stored "VPNInfo" instead, which the road still writes.
namespace LegacyEngineEntries {

// `start` from the path stored in "VPNInfo", with the TUN switch as stored now or as given. No
// "VPNInfo" is a failed start, answered later.
void syncSSlocalWithStartLocalSucceed(HLLPACUtilWrapper::StartCompletion completion);
void syncSSlocalWithStartLocalSucceed(HLLPACUtilWrapper::StartCompletion completion, bool tunOn);
// The start above, then the proxy applied (or the settings restored) by its result.
void applyConfig(HLLPACUtilWrapper::Callback callback);
// Registers the local proxy defaults when TUN is off, then as `applyConfig`.
void run(HLLPACUtilWrapper::Callback callback);
// Keeps the ".Old" backups of the SOCKS listen address and port.
void syncPac();

} // namespace LegacyEngineEntries
