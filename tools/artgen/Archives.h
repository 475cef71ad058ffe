// The two archives as the writer takes them.
#pragma once

#include <vector>

#include "Art.h"
#include "assets/ArchiveWriter.h"

namespace art {

std::vector<ImageItemSpec> ToSpecs(const std::vector<Picture>& pictures);

} // namespace art
