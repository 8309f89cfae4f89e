// Registration of the DirectShow stand-in's classes and the filters the graph may insert.
#include "platform/com/class_registry.h"
#include "platform/dshow/graph_filters.h"

const std::vector<RegisteredFilter>& RegisteredGraphFilters() {
    static const std::vector<RegisteredFilter> filters = {
        {CLSID_MpegAudioDecoder, u"MPEG Audio Decoder", false},
        {CLSID_NullRenderer, u"Default Audio Renderer", true},
    };
    return filters;
}

void RegisterDirectShowModule() {
    RegisterComClass(CLSID_FilterGraph, &CreateFilterGraph);
    RegisterComClass(CLSID_NullRenderer, &CreateNullRenderer);
    RegisterComClass(CLSID_MpegAudioDecoder, &CreateMpegAudioDecoderFilter);
}
