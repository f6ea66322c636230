// The C++ source of the resource catalogue: every compiled resource as a byte array, and a table of them.
#pragma once

#include <string>
#include <vector>

#include "tools/rescomp/script.h"

namespace rescomp {

// The whole generated source for the resources compiled from the given script.
std::string catalogueSource(const std::vector<Resource>& resources, const std::string& script);

}  // namespace rescomp
