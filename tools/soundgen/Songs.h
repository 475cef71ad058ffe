// The two tunes: "1.xm" for the menus (calm, mysterious, under water) and
// "2.xm" for play (driving without tiring). Both loop back to their start.
#pragma once

#include "XmWriter.h"

namespace soundgen {

xm::Module MenuSong();
xm::Module GameSong();

} // namespace soundgen
