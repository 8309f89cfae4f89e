// The filters the graph can insert by itself, in the order it tries them, and the factories of the
// stand-in's COM classes.
#pragma once

#include <vector>

#include "platform/dshow/dshow.h"

struct RegisteredFilter {
    CLSID clsid;
    const char16_t* name;
    bool isRenderer;
};

const std::vector<RegisteredFilter>& RegisteredGraphFilters();

HRESULT CreateFilterGraph(REFIID iid, void** object);
HRESULT CreateNullRenderer(REFIID iid, void** object);
HRESULT CreateMpegAudioDecoderFilter(REFIID iid, void** object);
