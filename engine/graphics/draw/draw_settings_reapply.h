// Writing the library's cached draw states to a device that does not hold them: a device made again
// after it was lost, and the draw area after the draw target's surfaces were made again.
#pragma once

// Every cached draw state sent to the device with the state cache in force mode. 0; -1 without a device.
int ReapplyDrawSettings();
// The draw area written to the device's viewport and scissor even where the cache holds the same values.
// 0; -1 without a device.
int ResetDrawAreaForced();
