// The capability probe: creates the device, reads its capabilities, chooses a Direct3D format for every
// kind of surface the library makes, logs each decision, and times two ways of reading the back buffer.
#pragma once

// 0 when the device exists and every required format was found; -1 on failure; -2 when the Ex device
// could not be made (the caller creates the Direct3D object again and probes again).
int ProbeDeviceFormats();

// The log name of a display, texture or depth format code; null for another code.
const char* Direct3DFormatName(int code);

// The log lines of the display format.
void LogDisplayFormat(int code);
