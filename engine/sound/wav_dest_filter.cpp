#include "engine/sound/wav_dest_filter.h"

#include <cstring>
#include <new>
#include <vector>

const WavDestFactoryEntry kWavDestFactoryTable[1] = {{u"WAV Dest", &CLSID_WavDest}};

namespace {

constexpr long kBufferBytes = 65536;

void Put32(std::vector<BYTE>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<BYTE>(value >> (8 * i)));
}

}  // namespace

T_CWavDestOutputPin::T_CWavDestOutputPin(T_CTransformFilter* filter)
    : T_CTransformOutputPin("T_CWavDestOutputPin", filter, u"Out") {}

HRESULT T_CWavDestOutputPin::CheckMediaType(const T_CMediaType* type) {
    return type->majortype == MEDIATYPE_Stream && type->subtype == MEDIASUBTYPE_WAVE ? S_OK : S_FALSE;
}

HRESULT T_CWavDestOutputPin::GetMediaType(int position, T_CMediaType* type) {
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    type->Clear();
    type->majortype = MEDIATYPE_Stream;
    type->subtype = MEDIASUBTYPE_WAVE;
    return S_OK;
}

T_CWavDestFilter::T_CWavDestFilter() : T_CTransformFilter("WavDest", CLSID_WavDest) {
    input_ = new (std::nothrow) T_CTransformInputPin("T_CTransformInputPin", this, u"In");
    output_ = new (std::nothrow) T_CWavDestOutputPin(this);
}

HRESULT T_CWavDestFilter::CheckInputType(const T_CMediaType* type) {
    return type->formattype == FORMAT_WaveFormatEx && type->cbFormat >= 16 && type->pbFormat ? S_OK : S_FALSE;
}

HRESULT T_CWavDestFilter::CheckTransform(const T_CMediaType*, const T_CMediaType* out) {
    return output_->CheckMediaType(out);
}

HRESULT T_CWavDestFilter::GetMediaType(int position, T_CMediaType* type) {
    return output_->GetMediaType(position, type);
}

HRESULT T_CWavDestFilter::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    ALLOCATOR_PROPERTIES want = *request, actual{};
    IMemAllocator* upstream = input_->PinAllocator();
    if (upstream) upstream->GetProperties(&want);
    if (want.cBuffers <= 0) want.cBuffers = 1;
    if (want.cbBuffer <= 0) want.cbBuffer = kBufferBytes;
    if (want.cbAlign <= 0) want.cbAlign = 1;
    return allocator->SetProperties(&want, &actual);
}

HRESULT T_CWavDestFilter::Transform(IMediaSample* in, IMediaSample* out) {
    BYTE* from = nullptr;
    BYTE* to = nullptr;
    const long length = in->GetActualDataLength();
    if (FAILED(in->GetPointer(&from)) || FAILED(out->GetPointer(&to)) || length < 0 ||
        length > out->GetSize())
        return E_FAIL;
    const uint64_t start = uint64_t{headerSize_} + dataBytes_;
    if (start + static_cast<uint64_t>(length) > 0xFFFFFFFFu) return E_FAIL;
    std::memcpy(to, from, static_cast<size_t>(length));
    out->SetActualDataLength(length);
    REFERENCE_TIME startTime = static_cast<REFERENCE_TIME>(start);
    REFERENCE_TIME stopTime = startTime + length;
    out->SetTime(&startTime, &stopTime);
    dataBytes_ += static_cast<uint32_t>(length);
    return S_OK;
}

HRESULT T_CWavDestFilter::StartStreaming() {
    headerSize_ = 28 + input_->CurrentMediaType().cbFormat;
    dataBytes_ = 0;
    return S_OK;
}

HRESULT T_CWavDestFilter::StopStreaming() {
    IPin* downstream = output_->GetConnected();
    IStream* stream = nullptr;
    if (!downstream || FAILED(downstream->QueryInterface(IID_IStream, reinterpret_cast<void**>(&stream))))
        return S_OK;
    const T_CMediaType& type = input_->CurrentMediaType();
    std::vector<BYTE> header;
    header.insert(header.end(), {'R', 'I', 'F', 'F'});
    Put32(header, dataBytes_ + headerSize_ - 8);
    header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(header, type.cbFormat);
    header.insert(header.end(), type.pbFormat, type.pbFormat + type.cbFormat);
    header.insert(header.end(), {'d', 'a', 't', 'a'});
    Put32(header, dataBytes_);
    LARGE_INTEGER zero{};
    HRESULT result = stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    if (SUCCEEDED(result)) result = stream->Write(header.data(), static_cast<ULONG>(header.size()), nullptr);
    stream->Release();
    return result;
}
