#include <gtest/gtest.h>

#include <vector>

#include "platform/com/ole32.h"
#include "platform/dshow/base_classes.h"
#include "platform/dshow/video_types.h"
#include "tests/platform/dshow/push_source.h"

namespace {

// A renderer that keeps what it was given.
class RecordingRenderer : public T_CBaseVideoRenderer {
  public:
    RecordingRenderer() : T_CBaseVideoRenderer(GUID_NULL, "RecordingRenderer") {}
    HRESULT CheckMediaType(const T_CMediaType* type) override {
        checked++;
        return type->majortype == MEDIATYPE_Video ? S_OK : E_FAIL;
    }
    HRESULT SetMediaType(const T_CMediaType* type) override {
        setSubtype = type->subtype;
        return S_OK;
    }
    HRESULT DoRenderSample(IMediaSample* sample) override {
        BYTE* bytes = nullptr;
        sample->GetPointer(&bytes);
        rendered.emplace_back(bytes, bytes + sample->GetActualDataLength());
        return renderResult;
    }
    int checked = 0;
    GUID setSubtype = GUID_NULL;
    std::vector<std::vector<BYTE>> rendered;
    HRESULT renderResult = S_OK;
};

AM_MEDIA_TYPE VideoType(const GUID& major) {
    AM_MEDIA_TYPE type{};
    type.majortype = major;
    type.subtype = MEDIASUBTYPE_RGB32;
    type.formattype = GUID_NULL;
    return type;
}

TEST(BaseVideoRenderer, HasOneInputPinThatAsksTheFilterAboutTypes) {
    auto* renderer = new RecordingRenderer();
    IBaseFilter* held = HoldFilter(renderer);
    EXPECT_EQ(renderer->GetPinCount(), 1);
    ASSERT_NE(renderer->GetPin(0), nullptr);
    EXPECT_EQ(renderer->GetPin(1), nullptr);
    EXPECT_EQ(renderer->GetPin(0)->Direction(), PINDIR_INPUT);

    auto* audio = new TestPushSource(VideoType(MEDIATYPE_Audio), 64);
    IBaseFilter* audioHeld = HoldFilter(audio);
    EXPECT_NE(audio->GetPin(0)->Connect(renderer->GetPin(0), nullptr), S_OK);
    EXPECT_GT(renderer->checked, 0);
    EXPECT_FALSE(renderer->GetPin(0)->IsConnected());

    auto* video = new TestPushSource(VideoType(MEDIATYPE_Video), 64);
    IBaseFilter* videoHeld = HoldFilter(video);
    ASSERT_EQ(video->GetPin(0)->Connect(renderer->GetPin(0), nullptr), S_OK);
    EXPECT_EQ(renderer->setSubtype, MEDIASUBTYPE_RGB32);
    ReleaseFilterChain({videoHeld, audioHeld, held});
}

TEST(BaseVideoRenderer, RendersSamplesOnlyOnceStreamingAndPassesTheResultBack) {
    auto* renderer = new RecordingRenderer();
    auto* source = new TestPushSource(VideoType(MEDIATYPE_Video), 64);
    std::vector<IBaseFilter*> filters = {HoldFilter(source), HoldFilter(renderer)};
    ASSERT_EQ(source->GetPin(0)->Connect(renderer->GetPin(0), nullptr), S_OK);

    ASSERT_EQ(filters[0]->Pause(), S_OK);
    EXPECT_EQ(source->Push({1, 2, 3}), VFW_E_WRONG_STATE);  // the renderer is stopped
    EXPECT_TRUE(renderer->rendered.empty());
    ASSERT_EQ(filters[1]->Pause(), S_OK);
    EXPECT_EQ(source->Push({4, 5}), S_OK);
    for (IBaseFilter* filter : {filters[1], filters[0]}) ASSERT_EQ(filter->Run(0), S_OK);
    EXPECT_EQ(source->Push({6}), S_OK);
    renderer->renderResult = E_FAIL;
    EXPECT_EQ(source->Push({7}), E_FAIL);
    const std::vector<std::vector<BYTE>> expected = {{4, 5}, {6}, {7}};
    EXPECT_EQ(renderer->rendered, expected);
    for (IBaseFilter* filter : filters) filter->Stop();
    ReleaseFilterChain(filters);
}

TEST(BaseVideoRenderer, EndOfStreamCompletesTheGraphOnlyWhileRunning) {
    IGraphBuilder* graph = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                               reinterpret_cast<void**>(&graph)),
              S_OK);
    IMediaControl* control = nullptr;
    IMediaEvent* events = nullptr;
    ASSERT_EQ(graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control)), S_OK);
    ASSERT_EQ(graph->QueryInterface(IID_IMediaEvent, reinterpret_cast<void**>(&events)), S_OK);
    auto* renderer = new RecordingRenderer();
    auto* source = new TestPushSource(VideoType(MEDIATYPE_Video), 64);
    ASSERT_EQ(graph->AddFilter(HoldFilter(renderer), u"Renderer"), S_OK);
    ASSERT_EQ(graph->AddFilter(HoldFilter(source), u"Source"), S_OK);
    renderer->Release();
    source->Release();
    ASSERT_EQ(graph->ConnectDirect(source->GetPin(0), renderer->GetPin(0), nullptr), S_OK);

    long code = 0;
    LONG_PTR p1 = 0, p2 = 0;
    EXPECT_EQ(source->PushEndOfStream(), VFW_E_WRONG_STATE);  // stopped
    ASSERT_EQ(control->Pause(), S_OK);
    EXPECT_EQ(source->PushEndOfStream(), S_OK);
    EXPECT_NE(events->GetEvent(&code, &p1, &p2, 0), S_OK) << "paused: no completion";
    ASSERT_EQ(control->Run(), S_OK);
    EXPECT_EQ(source->PushEndOfStream(), S_OK);
    ASSERT_EQ(events->GetEvent(&code, &p1, &p2, 0), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    events->FreeEventParams(code, p1, p2);
    control->Stop();
    events->Release();
    control->Release();
    graph->Release();
}

}  // namespace
