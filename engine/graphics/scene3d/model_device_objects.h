// The device buffers of the model types: their release before a device reset or mode change, and
// their rebuild from the model data after a restart.
#pragma once

#include "engine/graphics/scene3d/model_records.h"

// Every base's buffer lists and buffer words, then every instance's per-mesh vertex buffers. 0.
int ReleaseModelDeviceObjects();
int ReleaseBaseDeviceObjects(ModelBase* base);
int ReleaseInstanceVertexBuffers(ModelInstance* instance);

// Direct3D mode only. Bases (when the device processes model vertices: hardware vertex processing or
// vertex shader 2.0): write-only buffers filled from the model data. Instances: dynamic buffers for
// the meshes that have none. 0, or -1 when a buffer could not be made (that base keeps none).
int RebuildModelDeviceObjects();
int RebuildBaseDeviceObjects(ModelBase* base);
