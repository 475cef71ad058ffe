// The display, the surfaces and the image list together.
#pragma once

#include "engine/DXDraw.h"
#include "engine/ImageList.h"
#include "engine/Surface.h"
