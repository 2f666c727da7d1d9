#pragma once

// Belongs with the upgrade window; it has nothing to do.
class NBUpdateTool
{
};
