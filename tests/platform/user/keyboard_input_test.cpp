#include <gtest/gtest.h>

#include "platform/host/host.h"
#include "platform/user/key_codes.h"
#include "tests/platform/user/window_fixture.h"

namespace {

class KeyboardInputTest : public WindowFixture {
  protected:
    void SetUp() override {
        WindowFixture::SetUp();
        window = MakeWindow(kStyle | WS_VISIBLE);
        PumpAll();
        recorded.clear();
    }

    static void Key(uint8_t dik, bool down) {
        HostEvent event;
        event.kind = HostEventKind::kKey;
        event.dik = dik;
        event.down = down;
        HostInjectEvent(event);
    }

    // The messages the procedure got, from WM_KEYFIRST to WM_SYSCHAR.
    std::vector<RecordedMessage> KeyMessages() const {
        std::vector<RecordedMessage> keys;
        for (const RecordedMessage& m : recorded)
            if (m.message >= WM_KEYDOWN && m.message <= WM_SYSCHAR) keys.push_back(m);
        return keys;
    }

    HWND window = nullptr;
};

TEST_F(KeyboardInputTest, KeyBecomesKeyDownCharacterAndKeyUpWithScanCode) {
    Key(0x1E, true);  // A
    Key(0x1E, false);
    PumpAll();
    auto keys = KeyMessages();
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(keys[0].wParam, static_cast<WPARAM>('A'));
    EXPECT_EQ(static_cast<DWORD>(keys[0].lParam), 0x001E0001u);
    EXPECT_EQ(keys[1].message, static_cast<UINT>(WM_CHAR)) << "the character comes before the key-up";
    EXPECT_EQ(keys[1].wParam, static_cast<WPARAM>('a'));
    EXPECT_EQ(keys[2].message, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(static_cast<DWORD>(keys[2].lParam), 0xC01E0001u);
}

TEST_F(KeyboardInputTest, ModifiersGiveSideNeutralMessagesAndBothStateEntries) {
    Key(0x9D, true);  // right Ctrl: an extended key
    Key(0x2A, true);  // left Shift
    PumpAll();
    auto keys = KeyMessages();
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].wParam, static_cast<WPARAM>(VK_CONTROL));
    EXPECT_EQ(static_cast<DWORD>(keys[0].lParam), 0x011D0001u);
    EXPECT_EQ(keys[1].wParam, static_cast<WPARAM>(VK_SHIFT));
    BYTE state[256];
    ASSERT_TRUE(GetKeyboardState(state));
    for (int key : {VK_CONTROL, VK_RCONTROL, VK_SHIFT, VK_LSHIFT}) EXPECT_TRUE(state[key] & 0x80) << key;
    EXPECT_FALSE(state[VK_LCONTROL] & 0x80);
    EXPECT_TRUE(GetKeyState(VK_SHIFT) < 0);
    Key(0x2A, false);
    PumpAll();
    ASSERT_TRUE(GetKeyboardState(state));
    EXPECT_FALSE(state[VK_SHIFT] & 0x80);
    uint8_t dik_state[256];
    HostGetKeyboardDikState(dik_state);
    EXPECT_EQ(dik_state[0x9D], 0x80);
    EXPECT_EQ(dik_state[0x2A], 0x00);
}

TEST_F(KeyboardInputTest, AltEnterIsASystemKeyWithACarriageReturn) {
    Key(0x38, true);  // left Alt
    Key(0x1C, true);  // Return
    PumpAll();
    auto keys = KeyMessages();
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].message, static_cast<UINT>(WM_SYSKEYDOWN));
    EXPECT_EQ(keys[1].message, static_cast<UINT>(WM_SYSKEYDOWN));
    EXPECT_TRUE(keys[1].lParam & (1 << 29));
    EXPECT_EQ(keys[2].message, static_cast<UINT>(WM_SYSCHAR));
    EXPECT_EQ(keys[2].wParam, static_cast<WPARAM>('\r'));
}

TEST_F(KeyboardInputTest, ControlLettersAndShiftedDigitsType) {
    struct Case {
        std::vector<uint8_t> held;
        uint8_t key;
        WPARAM character;
    };
    const Case cases[] = {
        {{0x1D}, 0x1E, 0x01},  // Ctrl+A
        {{0x1D}, 0x30, 0x02},  // Ctrl+B
        {{0x2A}, 0x02, '!'},   // Shift+1
        {{}, 0x0E, 0x08},      // Backspace
        {{}, 0x39, ' '},
    };
    for (const Case& c : cases) {
        recorded.clear();
        for (uint8_t held : c.held) Key(held, true);
        Key(c.key, true);
        PumpAll();
        Key(c.key, false);
        for (uint8_t held : c.held) Key(held, false);
        PumpAll();
        std::vector<WPARAM> characters;
        for (const RecordedMessage& m : recorded)
            if (m.message == WM_CHAR) characters.push_back(m.wParam);
        ASSERT_EQ(characters.size(), 1u) << int(c.key);
        EXPECT_EQ(characters[0], c.character) << int(c.key);
    }
}

TEST_F(KeyboardInputTest, KeyRepeatSetsThePreviousStateBit) {
    Key(0xCB, true);  // Left arrow, twice without release
    Key(0xCB, true);
    PumpAll();
    auto keys = KeyMessages();
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].wParam, static_cast<WPARAM>(VK_LEFT));
    EXPECT_FALSE(keys[0].lParam & (1 << 30));
    EXPECT_TRUE(keys[1].lParam & (1 << 30));
    EXPECT_TRUE(keys[1].lParam & (1 << 24)) << "arrows are extended keys";
}

// The library's own table from virtual keys to DirectInput codes (used with GetKeyboardState) must
// come back the same way through this stand-in's table.
TEST(KeyCodesTest, EveryRowOfTheLibrarysKeyboardMapRoundTrips) {
    const std::pair<int, int> rows[] = {
        {0x41, 0x1E}, {0x42, 0x30}, {0x43, 0x2E}, {0x44, 0x20}, {0x45, 0x12}, {0x46, 0x21}, {0x47, 0x22},
        {0x48, 0x23}, {0x49, 0x17}, {0x4A, 0x24}, {0x4B, 0x25}, {0x4C, 0x26}, {0x4D, 0x32}, {0x4E, 0x31},
        {0x4F, 0x18}, {0x50, 0x19}, {0x51, 0x10}, {0x52, 0x13}, {0x53, 0x1F}, {0x54, 0x14}, {0x55, 0x16},
        {0x56, 0x2F}, {0x57, 0x11}, {0x58, 0x2D}, {0x59, 0x15}, {0x5A, 0x2C}, {0x30, 0x0B}, {0x31, 0x02},
        {0x32, 0x03}, {0x33, 0x04}, {0x34, 0x05}, {0x35, 0x06}, {0x36, 0x07}, {0x37, 0x08}, {0x38, 0x09},
        {0x39, 0x0A}, {0x70, 0x3B}, {0x71, 0x3C}, {0x72, 0x3D}, {0x73, 0x3E}, {0x74, 0x3F}, {0x75, 0x40},
        {0x76, 0x41}, {0x77, 0x42}, {0x78, 0x43}, {0x79, 0x44}, {0x7A, 0x57}, {0x7B, 0x58}, {0x60, 0x52},
        {0x61, 0x4F}, {0x62, 0x50}, {0x63, 0x51}, {0x64, 0x4B}, {0x65, 0x4C}, {0x66, 0x4D}, {0x67, 0x47},
        {0x68, 0x48}, {0x69, 0x49}, {0x6A, 0x37}, {0x6B, 0x4E}, {0x6D, 0x4A}, {0x6E, 0x53}, {0x6F, 0xB5},
        {0x25, 0xCB}, {0x26, 0xC8}, {0x27, 0xCD}, {0x28, 0xD0}, {0x21, 0xC9}, {0x22, 0xD1}, {0x23, 0xCF},
        {0x24, 0xC7}, {0x2D, 0xD2}, {0x2E, 0xD3}, {0x1B, 0x01}, {0x20, 0x39}, {0x08, 0x0E}, {0x09, 0x0F},
        {0x0D, 0x1C}, {0x0D, 0x9C}, {0xA0, 0x2A}, {0xA1, 0x36}, {0xA2, 0x1D}, {0xA3, 0x9D}, {0xA4, 0x38},
        {0xA5, 0xB8}, {0x91, 0x46}, {0x14, 0x3A}, {0x13, 0xC5}, {0xBB, 0x27}, {0xBA, 0x92}, {0xDB, 0x1A},
        {0xDD, 0x1B}, {0xC0, 0x91}, {0xE2, 0x2B}, {0xBC, 0x33}, {0xDE, 0x90}, {0xBD, 0x0C}, {0xDC, 0x7D},
        {0xBE, 0x34}, {0xBF, 0x35},
    };
    EXPECT_EQ(std::size(rows), 100u);
    for (auto [virtual_key, dik] : rows)
        EXPECT_EQ(VirtualKeyOfDik(static_cast<uint8_t>(dik)), virtual_key) << "DIK 0x" << std::hex << dik;
    EXPECT_EQ(DikOfVirtualKey(VK_SHIFT), 0x2A);
    EXPECT_EQ(MessageVirtualKey(VK_RMENU), VK_MENU);
    EXPECT_EQ(VirtualKeyOfDik(0x00), 0);
}

}  // namespace
