// A Direct3D device made directly on the stand-in and installed as the library's device, with the
// capability flags the probe would derive from it; every stand-in switch reset around each test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/graphics/device/device_capabilities.h"
#include "engine/graphics/device/direct3d_system.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/d3d9_control.h"

namespace graphics_test {

class DeviceFixture : public ::testing::Test {
  protected:
    void SetUp() override { D3D9ResetControls(); }
    void TearDown() override {
        DropDevice();
        D3D9ResetControls();
    }

    // A windowed device with a back buffer of the given size and format, installed with Direct3D mode 1.
    void MakeDevice(UINT width, UINT height, D3DFORMAT format = D3DFMT_X8R8G8B8) {
        direct3DSystem.direct3D = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(direct3DSystem.direct3D, nullptr);
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = width;
        pp.BackBufferHeight = height;
        pp.BackBufferFormat = format;
        pp.BackBufferCount = 1;
        pp.SwapEffect = D3DSWAPEFFECT_COPY;
        pp.Windowed = TRUE;
        pp.hDeviceWindow = Window();
        pp.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
        ASSERT_EQ(direct3DSystem.direct3D->CreateDevice(0, D3DDEVTYPE_HAL, Window(),
                                                        D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                                                        &direct3DSystem.device),
                  D3D_OK);
        Direct3DMode = 1;
        direct3DSystem.device->GetDeviceCaps(&DeviceCaps);
        deviceCapabilityFlags = {};
        deviceCapabilityFlags.nativeSubtractive = (DeviceCaps.PrimitiveMiscCaps & D3DPMISCCAPS_BLENDOP) != 0;
        deviceCapabilityFlags.tempRegister = (DeviceCaps.PrimitiveMiscCaps & D3DPMISCCAPS_TSSARGTEMP) != 0;
        deviceCapabilityFlags.vertexShader2 = (DeviceCaps.VertexShaderVersion & 0xFFFF) >= 0x200;
        deviceCapabilityFlags.pixelShader2 = (DeviceCaps.PixelShaderVersion & 0xFFFF) >= 0x200;
    }

    void DropDevice() {
        if (direct3DSystem.device) direct3DSystem.device->Release();
        if (direct3DSystem.direct3D) direct3DSystem.direct3D->Release();
        direct3DSystem = {};
        Direct3DMode = 0;
        DeviceCaps = {};
        deviceCapabilityFlags = {};
    }

    IDirect3DDevice9* Device() { return direct3DSystem.device; }

    // Starts the trace afresh; TakeTrace returns what was called since.
    void StartTrace() {
        D3D9SetTraceEnabled(true);
        D3D9TakeTrace();
    }
    std::vector<std::string> TakeTrace() { return D3D9TakeTrace(); }

    static HWND Window() { return reinterpret_cast<HWND>(uintptr_t(0x1234)); }
};

}  // namespace graphics_test
