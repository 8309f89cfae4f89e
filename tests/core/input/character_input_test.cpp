#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/core/frame/system_functions.h"
#include "engine/core/helpers/string_helpers.h"
#include "engine/core/input/char_input.h"
#include "engine/core/input/input.h"
#include "engine/core/input/network.h"
#include "engine/core/memory/log.h"
#include "engine/core/memory/tracked_allocator.h"
#include "platform/kernel/module_registry.h"
#include "platform/user/imm32.h"
#include "platform/user/user32.h"

namespace {

HWND const kWindow = reinterpret_cast<HWND>(uintptr_t(0x4242));

class CharacterInputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetCharacterSetFromCodePage(932);
        InitCharCodeBuffer();
    }
    void TearDown() override {
        DeleteAllStringInputs();
        InitCharCodeBuffer();
        EndInput();  // the editor's shift test may have started input
    }
    static std::string Drain() {
        std::string codes;
        char out[2];
        while (int count = GetCharCode(out, 1)) codes.append(out, size_t(count));
        return codes;
    }
    // A string input of the given maximum, made active.
    static StringInputRecord& ActiveInput(int maxLength, const char* text = "") {
        StringInputRecord& record = stringInputs[3];
        if (record.text) TrackedFree(record.text);
        record = {};
        record.used = 1;
        record.checkValue = 0x155;
        record.maxLength = maxLength;
        record.text = static_cast<char*>(TrackedAllocZeroed(size_t(maxLength + 1), __FILE__, __LINE__));
        std::strcpy(record.text, text);
        record.length = int(std::strlen(text));
        record.cursor = record.length;
        record.selectionStart = record.selectionEnd = -1;
        activeStringInput = StringInputHandle(3);
        return record;
    }
    static void Type(const std::string& codes) {
        for (unsigned char code : codes) ASSERT_EQ(PutCharCode(code), 0);
        ProcessStringInput();
    }
};

TEST_F(CharacterInputTest, RingHolds1024BytesAndDropsThe1025th) {
    for (int i = 0; i < 1024; ++i) ASSERT_EQ(PutCharCode('a' + i % 26), 0) << i;
    EXPECT_EQ(CharCodeBufferHasRoom(), 0);
    EXPECT_EQ(PutCharCode('z'), -1);
    std::string codes = Drain();
    ASSERT_EQ(codes.size(), 1024u);
    EXPECT_EQ(codes[1023], char('a' + 1023 % 26));
    // Across the wrap: indices are past the end now.
    for (int i = 0; i < 1024; ++i) ASSERT_EQ(PutCharCode('0' + i % 10), 0);
    EXPECT_EQ(PutCharCode('x'), -1);
    EXPECT_EQ(Drain().size(), 1024u);
}

TEST_F(CharacterInputTest, LeadByteWaitsForItsTrailByte) {
    char out[2] = {1, 1};
    ASSERT_EQ(PutCharCode(0x82), 0);  // lead byte of a Shift-JIS character
    EXPECT_EQ(GetCharCode(out, 1), 0);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 0);
    ASSERT_EQ(PutCharCode(0xA0), 0);
    EXPECT_EQ(GetCharCode(out, 0), 2);  // peeking twice gives the same character
    EXPECT_EQ(GetCharCode(out, 0), 2);
    EXPECT_EQ(GetCharCode(out, 1), 2);
    EXPECT_EQ(uint8_t(out[0]), 0x82);
    EXPECT_EQ(uint8_t(out[1]), 0xA0);
    EXPECT_EQ(GetCharCode(out, 1), 0);
}

TEST_F(CharacterInputTest, EditingCodesAreSingleBytes) {
    for (int code : {0x10, 0x15, 0x17, 0x19, 0x1A, 0x1C, 0x1D, 0x1E, 0x1F})
        EXPECT_EQ(IsEditControlCode(code), 1);
    for (int code : {0x00, 0x01, 0x0D, 0x1B, 0x20, 0x82}) EXPECT_EQ(IsEditControlCode(code), 0);
}

TEST_F(CharacterInputTest, EditKeyCodeMapTable) {
    const struct {
        int virtualKey, code;
    } keys[] = {{VK_DELETE, 0x10}, {VK_LEFT, 0x1D}, {VK_RIGHT, 0x1C}, {VK_UP, 0x1E},
                {VK_DOWN, 0x1F},   {VK_HOME, 0x1A}, {VK_END, 0x19},   {VK_PRIOR, 0x17},
                {VK_NEXT, 0x15},   {'A', 0},        {VK_RETURN, 0},   {VK_BACK, 0}};
    for (const auto& key : keys) EXPECT_EQ(EditKeyCodeOf(key.virtualKey), key.code) << key.virtualKey;
}

TEST_F(CharacterInputTest, CharMessageFilter) {
    for (int character = 0; character < 0x20; ++character) {
        int expected = -1;
        if (character == 0x0A) expected = 0x0D;
        for (int kept : {0x01, 0x03, 0x08, 0x09, 0x0D, 0x10, 0x16, 0x18, 0x1B})
            if (character == kept) expected = kept;
        EXPECT_EQ(CharMessageCode(character), expected) << character;
    }
    EXPECT_EQ(CharMessageCode(' '), ' ');
    EXPECT_EQ(CharMessageCode(0x82), 0x82);
    EXPECT_EQ(CharMessageCode(0xFF), 0xFF);
}

TEST_F(CharacterInputTest, CountCharsInBytes) {
    const char text[] =
        "a\x82\xA0"
        "b";  // a, a double-byte character, b
    EXPECT_EQ(CountCharsInBytes(text, 0), 0);
    EXPECT_EQ(CountCharsInBytes(text, 1), 1);
    EXPECT_EQ(CountCharsInBytes(text, 2), 2);  // the pair starts within 2 bytes
    EXPECT_EQ(CountCharsInBytes(text, 3), 2);
    EXPECT_EQ(CountCharsInBytes(text, 4), 3);
    EXPECT_EQ(CountCharsInBytes(text, 100), 3);
}

TEST_F(CharacterInputTest, EditorInsertsMovesSelectsAndDeletes) {
    StringInputRecord& record = ActiveInput(16);
    Type(
        "abc\x82\xA0"
        "d");
    EXPECT_STREQ(record.text,
                 "abc\x82\xA0"
                 "d");
    Type("\x1D\x1D");  // left over d, then over the double-byte character
    EXPECT_EQ(record.cursor, 3);
    Type("\x08");  // backspace removes c
    EXPECT_STREQ(record.text,
                 "ab\x82\xA0"
                 "d");
    Type("\x10");  // delete removes the double-byte character at the cursor
    EXPECT_STREQ(record.text, "abd");
    Type(
        "\x1A"
        "X\x19"
        "Y");  // home, X, end, Y
    EXPECT_STREQ(record.text, "XabdY");
    EXPECT_EQ(record.length, 5);
    Type("\x17\x15");  // page up and page down insert as characters
    EXPECT_STREQ(record.text, "XabdY\x17\x15");
    Type("\r");
    EXPECT_EQ(record.ended, 1);
    EXPECT_EQ(activeStringInput, -1);
}

TEST_F(CharacterInputTest, FullTextDropsWholeCharactersFromTheEnd) {
    StringInputRecord& record = ActiveInput(4, "ab\x82\xA0");
    record.cursor = 0;
    Type("Z");
    EXPECT_STREQ(record.text, "Zab");  // the double-byte character went as a whole
    EXPECT_EQ(record.cursor, 1);
    StringInputRecord& narrow = ActiveInput(1);
    Type("\x82\xA0");  // never fits
    EXPECT_STREQ(narrow.text, "");
}

TEST_F(CharacterInputTest, DigitsOnlyFilter) {
    StringInputRecord& record = ActiveInput(8);
    record.digitsOnly = 1;
    Type("-1a.2.-3");
    EXPECT_STREQ(record.text, "-1.23");
}

TEST_F(CharacterInputTest, DeletingHandlesChecksTheHandle) {
    ActiveInput(8, "x");
    const int handle = StringInputHandle(3);
    EXPECT_EQ((handle >> 26) & 0x1F, 9);
    EXPECT_EQ(DeleteStringInput(handle ^ (1 << 16)), -1);  // wrong check value
    EXPECT_EQ(DeleteStringInput(-5), -1);
    EXPECT_EQ(DeleteStringInput(handle), 0);
    EXPECT_EQ(activeStringInput, -1);
    EXPECT_EQ(stringInputs[3].used, 0);
    EXPECT_EQ(DeleteStringInput(handle), -1);
}

class ImeTest : public CharacterInputTest {
  protected:
    void SetUp() override {
        CharacterInputTest::SetUp();
        FreeSystemLibraries();
        InstallImm32TestDouble();
        LoadSystemLibraries();
        ASSERT_NE(systemFunctions.ImmGetContext, nullptr);
    }
    void TearDown() override {
        FreeSystemLibraries();
        SetPlatformModuleAbsent("Imm32.dll", true);
        LoadSystemLibraries();
        CharacterInputTest::TearDown();
    }
};

TEST_F(ImeTest, Imm32IsAbsentByDefault) {
    FreeSystemLibraries();
    SetPlatformModuleAbsent("Imm32.dll", true);
    LoadSystemLibraries();
    EXPECT_EQ(systemFunctions.imm32, nullptr);
    EXPECT_EQ(HandleImeMessage(kWindow, WM_IME_COMPOSITION, 0, GCS_RESULTSTR), 0);
    EXPECT_EQ(Drain(), "");
}

TEST_F(ImeTest, ResultLongerThanTheFreeSpaceKeepsWhatFits) {
    for (int i = 0; i < 1014; ++i) ASSERT_EQ(PutCharCode('.'), 0);
    std::string result;
    for (int i = 0; i < 1024; ++i) result += char('A' + i % 26);
    Imm32TestDouble().result = result;
    Imm32TestDouble().composition = "\x82\xA0x";
    Imm32TestDouble().cursor = 2;
    EXPECT_EQ(HandleImeMessage(kWindow, WM_IME_COMPOSITION, 0, GCS_RESULTSTR | GCS_CURSORPOS), 0);
    std::string codes = Drain();
    ASSERT_EQ(codes.size(), 1024u);
    EXPECT_EQ(codes.substr(1014), result.substr(0, 10));
    EXPECT_STREQ(imeState.composition, "\x82\xA0x");  // read anew after the result
    EXPECT_EQ(imeState.cursorPosition, 1);
    EXPECT_EQ(Imm32TestDouble().contextsHeld, 0);
}

TEST_F(ImeTest, CompositionClausesAttributesAndItsEnd) {
    Imm32TestDouble().composition = "abc";
    Imm32TestDouble().clauses = {0, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0};
    Imm32TestDouble().attributes = {1, 1, 0};
    HandleImeMessage(kWindow, WM_IME_STARTCOMPOSITION, 0, 0);
    EXPECT_EQ(imeState.composing, 1);
    HandleImeMessage(kWindow, WM_IME_COMPOSITION, 0, GCS_COMPSTR | GCS_COMPCLAUSE | GCS_COMPATTR);
    EXPECT_STREQ(imeState.composition, "abc");
    EXPECT_EQ(imeState.clauseCount, 3);
    EXPECT_EQ(imeState.attributeCount, 3);
    HandleImeMessage(kWindow, WM_IME_ENDCOMPOSITION, 0, 0);
    EXPECT_EQ(imeState.composing, 0);
    EXPECT_STREQ(imeState.composition, "");
}

TEST_F(ImeTest, CandidateListIsKeptUntilClosed) {
    Imm32TestDouble().candidates = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(HandleImeMessage(kWindow, WM_IME_NOTIFY, IMN_OPENCANDIDATE, 0), 0);
    ASSERT_EQ(imeState.candidateListSize, 8);
    EXPECT_EQ(static_cast<uint8_t*>(imeState.candidateList)[7], 8);
    Imm32TestDouble().failCandidateRead = true;
    HandleImeMessage(kWindow, WM_IME_NOTIFY, IMN_CHANGECANDIDATE, 0);
    EXPECT_EQ(imeState.candidateList, nullptr);
    Imm32TestDouble().failCandidateRead = false;
    HandleImeMessage(kWindow, WM_IME_NOTIFY, IMN_SETCANDIDATEPOS, 0);
    EXPECT_NE(imeState.candidateList, nullptr);
    HandleImeMessage(kWindow, WM_IME_NOTIFY, IMN_CLOSECANDIDATE, 0);
    EXPECT_EQ(imeState.candidateList, nullptr);
    EXPECT_EQ(imeState.candidateListSize, 0);
    EXPECT_EQ(Imm32TestDouble().contextsHeld, 0);
}

TEST(NetworkRemnant, EntryPointsOfPumpEndAndSocketMessageAreInert) {
    EXPECT_EQ(PumpNetworkWindow(1), 0);
    EXPECT_EQ(ShutdownNetwork(), 0);
    EXPECT_EQ(HandleSocketMessage(kWindow, 0x505, 7, 1), 0);
    EXPECT_EQ(HandleSocketMessage(kWindow, 0x505, 7, 8), 0);
}

}  // namespace
