#pragma once

// Nothing in the client creates this yet; it is kept beside the upgrade window it belongs with.
// Belongs with the upgrade window; it has nothing to do.
class NBUpdateTool
{
};
