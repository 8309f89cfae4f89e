#include <gtest/gtest.h>

#include <thread>

#include "platform/com/class_registry.h"
#include "platform/com/com_object.h"
#include "platform/com/ole32.h"

namespace {

// {6B1F0D2A-3C55-4E7A-9D10-2F4C8B7A5E01}
constexpr IID IID_ICounter = {0x6B1F0D2A, 0x3C55, 0x4E7A, {0x9D, 0x10, 0x2F, 0x4C, 0x8B, 0x7A, 0x5E, 0x01}};
// {6B1F0D2B-3C55-4E7A-9D10-2F4C8B7A5E01}
constexpr CLSID CLSID_Counter = {
    0x6B1F0D2B, 0x3C55, 0x4E7A, {0x9D, 0x10, 0x2F, 0x4C, 0x8B, 0x7A, 0x5E, 0x01}};
// {6B1F0D2C-3C55-4E7A-9D10-2F4C8B7A5E01}
constexpr CLSID CLSID_Unknown = {
    0x6B1F0D2C, 0x3C55, 0x4E7A, {0x9D, 0x10, 0x2F, 0x4C, 0x8B, 0x7A, 0x5E, 0x01}};

int liveCounters = 0;

struct ICounter : public IUnknown {
    virtual int STDMETHODCALLTYPE Next() = 0;
};

class Counter : public ComObject<ICounter, IID_ICounter> {
  public:
    Counter() { ++liveCounters; }
    ~Counter() override { --liveCounters; }
    int STDMETHODCALLTYPE Next() override { return ++value_; }

  private:
    int value_ = 0;
};

HRESULT MakeCounter(REFIID iid, void** object) {
    auto* counter = new Counter;
    HRESULT result = counter->QueryInterface(iid, object);
    counter->Release();
    return result;
}

TEST(Com, CreatesRegisteredClassesWithReferenceCounts) {
    RegisterComClass(CLSID_Counter, MakeCounter);
    ICounter* counter = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_ALL, IID_ICounter,
                               reinterpret_cast<void**>(&counter)),
              S_OK);
    ASSERT_NE(counter, nullptr);
    EXPECT_EQ(counter->Next(), 1);
    IUnknown* unknown = nullptr;
    EXPECT_EQ(counter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown->Release(), 1u);
    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(counter->QueryInterface(CLSID_Unknown, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(liveCounters, 1);
    EXPECT_EQ(counter->Release(), 0u);
    EXPECT_EQ(liveCounters, 0);

    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_ALL, CLSID_Unknown, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(liveCounters, 0);
}

TEST(Com, UnregisteredAndFailingClasses) {
    void* object = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_Unknown, nullptr, CLSCTX_ALL, IID_IUnknown, &object),
              REGDB_E_CLASSNOTREG);
    RegisterComClass(CLSID_Counter, MakeCounter);
    SetComClassFailing(CLSID_Counter, true, E_OUTOFMEMORY);
    EXPECT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_ALL, IID_ICounter, &object), E_OUTOFMEMORY);
    EXPECT_EQ(object, nullptr);
    SetComClassFailing(CLSID_Counter, false);
    EXPECT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_ALL, IID_ICounter, &object), S_OK);
    static_cast<ICounter*>(object)->Release();
    EXPECT_EQ(CoCreateInstance(CLSID_Counter, nullptr, CLSCTX_ALL, IID_ICounter, nullptr), E_POINTER);
}

TEST(Com, InitializeCountsPerThread) {
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    EXPECT_EQ(GetComInitializeDepth(), 2);
    int otherDepth = -1;
    std::thread([&] { otherDepth = GetComInitializeDepth(); }).join();
    EXPECT_EQ(otherDepth, 0);
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(GetComInitializeDepth(), 0);
    CoUninitialize();  // one too many changes nothing
    EXPECT_EQ(GetComInitializeDepth(), 0);
}

}  // namespace
