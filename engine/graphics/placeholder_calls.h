// Graphics calls that the built modules make into parts of the graphics layer that are still answered by
// graphics_placeholder.cpp. Each entry goes when its real definition arrives.
#pragma once
