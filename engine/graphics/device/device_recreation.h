// After a device restart: the device objects behind the library's handles made again.
#pragma once

// In order: memory textures, every graphic's textures, vertex and index buffers (with hardware vertex
// processing or vertex shader 2.0), user shaders. Failures are logged and the rest goes on. 0.
int RecreateDeviceBuffers();
