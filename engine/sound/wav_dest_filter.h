// T_CWavDestFilter: passes audio samples to a file-writing filter behind it, each placed behind room
// for a WAVE header, and when streaming stops writes that header at the start of the downstream pin's
// IStream.
#pragma once

#include "platform/dshow/base_classes.h"

// {3C78B8E2-6C4D-11D1-ADE2-0000F8754B99}
inline constexpr CLSID CLSID_WavDest = {
    0x3C78B8E2, 0x6C4D, 0x11D1, {0xAD, 0xE2, 0x00, 0x00, 0xF8, 0x75, 0x4B, 0x99}};

class T_CWavDestOutputPin : public T_CTransformOutputPin {
  public:
    explicit T_CWavDestOutputPin(T_CTransformFilter* filter);
    HRESULT CheckMediaType(const T_CMediaType* type) override;
    HRESULT GetMediaType(int position, T_CMediaType* type) override;
};

class T_CWavDestFilter : public T_CTransformFilter {
  public:
    T_CWavDestFilter();
    HRESULT CheckInputType(const T_CMediaType* type) override;
    HRESULT CheckTransform(const T_CMediaType* in, const T_CMediaType* out) override;
    HRESULT GetMediaType(int position, T_CMediaType* type) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT Transform(IMediaSample* in, IMediaSample* out) override;
    HRESULT StartStreaming() override;
    HRESULT StopStreaming() override;

  private:
    ~T_CWavDestFilter() override = default;
    uint32_t dataBytes_ = 0;
    uint32_t headerSize_ = 0;
};

// The filter factory table entry: name and class id.
struct WavDestFactoryEntry {
    const char16_t* name;
    const CLSID* clsid;
};
extern const WavDestFactoryEntry kWavDestFactoryTable[1];
