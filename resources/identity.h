#pragma once

// Tells Qt who the program is: organisation, application name and version, the same strings
// as the executable's version block.
namespace Identity {
void apply();
}
