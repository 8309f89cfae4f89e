// The picture of the last Present, kept readable for tests and headless hosts.
#pragma once

#include "platform/d3d9/d3d9_control.h"

namespace d3d9 {

void StorePresentedPicture(D3D9PresentedPicture picture);
D3D9PresentedPicture CopyPresentedPicture();
void ClearPresentedPicture();

}  // namespace d3d9
