// The skin the real KVX.exe picks at start for the display's colour depth. The test suite
// runs this on a true-colour display and again on 16-bit and 8-bit ones, where the "Hi"
// skin gives way to "LoDef" after a notice. (Wine keeps a system palette per process, so
// the realised palette is checked in-process, by the painter's test.)
#include "support/RealClient.h"

namespace {

using LowColourTest = RealClientTest;

TEST_F(LowColourTest, TheSkinSuitsTheDisplayAndTheOneInUseIsStored)
{
    HDC screen = GetDC(nullptr);
    const int depth = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    ASSERT_TRUE(CopyArt(folder.Path()));
    WriteIni(0);
    ASSERT_TRUE(client.Start(folder.Path()));
    const SeenBox notice = depth < 15 ? Answer("KVX", IDOK) : Box("KVX", 2000);
    const std::string expected =
        "Display Mode (" + std::to_string(depth) + " BPP). Automatically changing to LoColor skin.";
    EXPECT_EQ(depth < 15 ? expected : "", notice.text) << "a notice below 15 bits only";
    bar = client.WaitForBar();
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(Close());
    EXPECT_NE(std::string::npos, folder.Read("KVX.ini").find(depth < 15 ? "SkinM=LoDef" : "SkinM=HiDef"));
}

} // namespace
