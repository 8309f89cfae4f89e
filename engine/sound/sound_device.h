// The DirectSound device of the sound module: creation, cooperative level, primary format, the silent
// looping buffer, the capability log, and their release.
#pragma once

// Creates the device, primary buffer and silent buffer into the module state; 0, or -1 with nothing
// left behind.
int StartSoundDevice();
// Logs the device list and the device's capabilities.
void LogSoundDeviceCaps();
// Stops and releases the primary and silent buffers and the device.
void ReleaseSoundDevice();
