// Off-screen plain surfaces in the YUV formats "YV12" (planar 4:2:0: the Y plane, then the V plane and the
// U plane at half the pitch and half the height), "YUY2" (Y0 U Y1 V per pixel pair) and "UYVY" (U Y0 V Y1),
// and StretchRect from them onto RGB render targets with the BT.601 limited-range conversion.
#pragma once

#include "platform/d3d9/resources.h"

constexpr D3DFORMAT D3DFMT_YV12 = D3DFORMAT(MAKEFOURCC('Y', 'V', '1', '2'));
constexpr D3DFORMAT D3DFMT_YUY2 = D3DFORMAT(MAKEFOURCC('Y', 'U', 'Y', '2'));
constexpr D3DFORMAT D3DFMT_UYVY = D3DFORMAT(MAKEFOURCC('U', 'Y', 'V', 'Y'));

// Which YUV formats every device offers for off-screen plain surfaces (all three until changed; reset by
// D3D9ResetControls).
void D3D9SetYuvSurfaceFormats(bool yv12, bool yuy2, bool uyvy);
void D3D9ResetYuvSurfaceFormats();

namespace d3d9 {

bool IsYuvFormat(D3DFORMAT format);
// D3D_OK when the format is offered and both sizes are even; else the creation's error.
HRESULT CheckYuvSurface(D3DFORMAT format, UINT width, UINT height);
// The store of a YUV surface: `At` and `Row` address the Y plane (YV12) or the pixel pairs.
void AllocateYuvStore(SurfaceStore& store, D3DFORMAT format, int width, int height);
// A lock of a YUV surface covers whole pixel pairs (and, for YV12, whole chroma rows).
bool YuvLockRectAllowed(const SurfaceStore& store, IntRect rect);
// StretchRect takes a YUV surface only as the source, and only onto an RGB render target.
bool YuvStretchRefused(const Surface& source, const Surface& dest);
// The stretch of src_rect of a YUV store onto dst_rect of an RGB store (both checked against their
// stores): each destination pixel takes the point-sampled source pixel, converted to RGB.
void StretchYuvPoint(const SurfaceStore& src, IntRect src_rect, SurfaceStore& dst, IntRect dst_rect);

}  // namespace d3d9
