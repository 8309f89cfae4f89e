// The snapshot enumerator behind the pin, media-type and filter enumerators: Next, Skip, Reset and Clone
// over its items, the references it holds, and the media types it hands out as copies.
#include "platform/dshow/enumerator.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <vector>

#include "platform/com/ole32.h"
#include "platform/dshow/video_types.h"

namespace {

// Counts its references; the enumerators must leave it as they found it.
struct CountedThing : IUnknown {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    ULONG references = 1;
};

struct IEnumThings : IUnknown {
    virtual HRESULT Next(ULONG count, IUnknown** things, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumThings** copy) = 0;
};
DSHOW_GUID(IID_IEnumThings, 0x12345678, 0x1234, 0x1234, 1, 2, 3, 4, 5, 6, 7, 8);
using EnumThings = T_CEnumerator<IEnumThings, IID_IEnumThings, T_ReferencedItems<IUnknown>>;

class EnumeratorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(EnumThings::Create("things", {&things_[0], &things_[1], &things_[2]}, &enum_), S_OK);
    }
    void TearDown() override {
        if (enum_) enum_->Release();
        for (const CountedThing& thing : things_) EXPECT_EQ(thing.references, 1u);
    }
    // The indices of what Next(count) hands out, each released again, and its result.
    std::vector<int> Next(IEnumThings* from, ULONG count, HRESULT* result) {
        std::vector<IUnknown*> out(count + 1, nullptr);
        ULONG fetched = 99;
        *result = from->Next(count, out.data(), &fetched);
        std::vector<int> indices;
        for (ULONG i = 0; i < fetched; ++i) {
            indices.push_back(static_cast<int>(static_cast<CountedThing*>(out[i]) - things_));
            out[i]->Release();
        }
        EXPECT_EQ(out[fetched], nullptr);
        return indices;
    }

    CountedThing things_[3];
    IEnumThings* enum_ = nullptr;
};

TEST_F(EnumeratorTest, NextSkipAndResetWalkTheSnapshot) {
    for (const CountedThing& thing : things_) EXPECT_EQ(thing.references, 2u);
    struct Step {
        char call;  // n: Next, s: Skip, r: Reset
        ULONG count;
        HRESULT result;
        std::vector<int> handed;
    };
    const Step steps[] = {
        {'n', 2, S_OK, {0, 1}}, {'n', 2, S_FALSE, {2}}, {'n', 1, S_FALSE, {}}, {'r', 0, S_OK, {}},
        {'s', 1, S_OK, {}},     {'n', 1, S_OK, {1}},    {'s', 1, S_OK, {}},    {'s', 1, S_FALSE, {}},
        {'r', 0, S_OK, {}},     {'s', 5, S_FALSE, {}},  {'r', 0, S_OK, {}},    {'n', 3, S_OK, {0, 1, 2}},
        {'n', 0, S_OK, {}},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        const Step& step = steps[i];
        SCOPED_TRACE(i);
        HRESULT result = E_FAIL;
        std::vector<int> handed;
        if (step.call == 'n')
            handed = Next(enum_, step.count, &result);
        else
            result = step.call == 's' ? enum_->Skip(step.count) : enum_->Reset();
        EXPECT_EQ(result, step.result);
        EXPECT_EQ(handed, step.handed);
    }
    EXPECT_EQ(enum_->Next(1, nullptr, nullptr), E_POINTER);
}

TEST_F(EnumeratorTest, CloneGoesOnFromTheSamePlaceOnItsOwn) {
    HRESULT result;
    Next(enum_, 1, &result);
    IEnumThings* clone = nullptr;
    ASSERT_EQ(enum_->Clone(&clone), S_OK);
    EXPECT_EQ(things_[0].references, 3u);
    EXPECT_EQ(Next(clone, 3, &result), (std::vector<int>{1, 2}));
    EXPECT_EQ(Next(enum_, 1, &result), (std::vector<int>{1}));
    EXPECT_EQ(enum_->Clone(nullptr), E_POINTER);
    void* asUnknown = nullptr;
    EXPECT_EQ(clone->QueryInterface(IID_IEnumThings, &asUnknown), S_OK);
    EXPECT_EQ(asUnknown, clone);
    clone->Release();
    clone->Release();
    EXPECT_EQ(things_[0].references, 2u);
}

TEST(MediaTypeEnumerator, HandsOutCopiesTheCallerFrees) {
    std::vector<T_CMediaType> types(2);
    types[0].majortype = MEDIATYPE_Audio;
    types[1].majortype = MEDIATYPE_Video;
    ASSERT_TRUE(types[1].SetFormat("abcd", 4));
    IEnumMediaTypes* enumerator = nullptr;
    ASSERT_EQ(T_CEnumMediaTypes::Create("types", types, &enumerator), S_OK);
    types[1].majortype = GUID_NULL;  // the snapshot is the enumerator's own
    AM_MEDIA_TYPE* out[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(enumerator->Next(2, out, &fetched), S_OK);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(out[0]->majortype, MEDIATYPE_Audio);
    EXPECT_EQ(out[1]->majortype, MEDIATYPE_Video);
    ASSERT_EQ(out[1]->cbFormat, 4u);
    EXPECT_EQ(std::memcmp(out[1]->pbFormat, "abcd", 4), 0);
    DeleteMediaType(out[0]);
    DeleteMediaType(out[1]);
    enumerator->Release();
}

}  // namespace
