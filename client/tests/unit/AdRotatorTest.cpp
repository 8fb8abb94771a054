// The ad rotator on real files in an "ads" folder and on a real window: the info files it
// writes, the order the banners come in, the records it reads, the tip, the picture's place
// and the address handed to the shell.
#include <stdio.h>
#include <string.h>

#include <memory>
#include <string>

#include "ads/AdRotator.h"
#include "support/InFolder.h"
#include "support/Pixels.h"
#include "support/Wait.h"

namespace {

const RECT kHotspot = {11, 29, 188, 78};
const COLORREF kBackground = RGB(0, 0, 0);
const COLORREF kColours[] = {RGB(200, 0, 0), RGB(0, 160, 0), RGB(0, 0, 220), RGB(220, 220, 0)};

std::string AdFile(int n, const char* extension)
{
    char name[32];
    snprintf(name, sizeof name, "ads\\ad%03d.%s", n, extension);
    return name;
}

std::string Record(const char* text, const char* url)
{
    AD_INFO info = {};
    strncpy(info.text, text, sizeof info.text - 1);
    strncpy(info.url, url, sizeof info.url - 1);
    return std::string(reinterpret_cast<const char*>(&info), sizeof info);
}

// A bar-sized window that paints a black background and the rotator's picture, with the
// rotator made as the bar makes it.
class AdWindow {
public:
    AdWindow()
        : m_window(199, 100,
                   [this](HWND window) {
                       PAINTSTRUCT ps;
                       HDC dc = BeginPaint(window, &ps);
                       FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
                       if (rotator) rotator->Paint(dc);
                       EndPaint(window, &ps);
                   }),
          rotator(std::make_unique<CAdRotator>(m_window.Handle(), kHotspot.left, kHotspot.top, kHotspot.right,
                                               kHotspot.bottom))
    {
    }

    // Next() on a fully painted window; what it invalidated is painted, as the message
    // loop would, and the middle of the banner read back.
    COLORREF Next()
    {
        m_window.Repaint();
        rotator->Next();
        if (!GetUpdateRect(m_window.Handle(), &invalidated, FALSE)) SetRectEmpty(&invalidated);
        UpdateWindow(m_window.Handle());
        return m_window.At(100, 50);
    }
    const PaintWindow& Window() const { return m_window; }

    RECT invalidated = {};

private:
    PaintWindow m_window; // made before the rotator, which needs its handle

public:
    std::unique_ptr<CAdRotator> rotator;
};

class AdRotatorTest : public InScratchFolder {
protected:
    AdRotatorTest() { CreateDirectoryA("ads", nullptr); }
    void Image(int n, COLORREF colour) const { folder.Write(AdFile(n, "ad"), SolidBmp(176, 48, colour)); }
};

TEST_F(AdRotatorTest, EveryStartWritesTheSixBuiltInRecordsAndLeavesOtherInfoFilesAlone)
{
    {
        CAdRotator first(nullptr, 11, 29, 188, 78);
        for (int n = 0; n < 6; ++n) {
            const std::string bytes = folder.Read(AdFile(n, "adi"));
            ASSERT_EQ(sizeof(AD_INFO), bytes.size()) << "ad " << n;
            const AD_INFO* info = reinterpret_cast<const AD_INFO*>(bytes.data());
            EXPECT_EQ(0, strncmp(info->url, "https://kvx.example/", 20)) << info->url;
            EXPECT_EQ('[', info->text[0]);
            EXPECT_NE(nullptr, strstr(info->text, "]\n")) << "a bracketed name, then the tagline";
        }
        EXPECT_FALSE(folder.Exists(AdFile(6, "adi")));
        EXPECT_NE(nullptr, strstr(first.TipText(), "(https://kvx.example/invite)"))
            << "the last one written is current";
    }
    const std::string builtIn = folder.Read(AdFile(1, "adi"));
    folder.Write(AdFile(1, "adi"), "edited");
    folder.Write(AdFile(6, "adi"), Record("[Six]\nMine", "https://kvx.example/six"));
    CAdRotator second(nullptr, 11, 29, 188, 78);
    EXPECT_EQ(builtIn, folder.Read(AdFile(1, "adi")));
    EXPECT_EQ(Record("[Six]\nMine", "https://kvx.example/six"), folder.Read(AdFile(6, "adi")));

    RemoveTree(folder.File("ads"));
    CAdRotator withoutFolder(nullptr, 11, 29, 188, 78);
    EXPECT_FALSE(folder.Exists("ads")) << "an unwritable folder is silently skipped";
}

TEST_F(AdRotatorTest, BannersCycleFromZeroUpToTheFirstGap)
{
    for (int n = 0; n < 3; ++n) Image(n, kColours[n]);
    AdWindow bar;
    for (int n : {0, 1, 2, 0, 1}) {
        EXPECT_EQ(kColours[n], bar.Next()) << "expected ad " << n;
        EXPECT_TRUE(EqualRect(&kHotspot, &bar.invalidated)) << "each step invalidates exactly the hotspot";
    }

    DeleteFileA(AdFile(2, "ad").c_str());
    Image(3, kColours[3]);
    AdWindow gap;
    for (int n : {0, 1, 0, 1, 0}) EXPECT_EQ(kColours[n], gap.Next()) << "ad 3 lies behind the gap";

    folder.Write(AdFile(1, "adi"), Record("[No address]\nAt all", ""));
    EXPECT_EQ(kColours[0], gap.Next()) << "after a rewrite of the info files, ad 1 has no address";
    EXPECT_FALSE(gap.rotator->Load(1));
    EXPECT_TRUE(gap.rotator->Load(0));
}

TEST_F(AdRotatorTest, WithoutAnyPictureNothingChangesAndRotationStaysAtZero)
{
    AdWindow bar;
    EXPECT_EQ(kBackground, bar.Next());
    EXPECT_TRUE(IsRectEmpty(&bar.invalidated)) << "nothing is repainted";
    EXPECT_EQ(kBackground, bar.Next());

    Image(0, kColours[0]);
    Image(1, kColours[1]);
    EXPECT_EQ(kColours[0], bar.Next()) << "the failed steps did not move on";
    EXPECT_EQ(kColours[1], bar.Next());
}

TEST_F(AdRotatorTest, TheTipShowsTextAndAddressInFullAndNeverRunsPastTheRecord)
{
    Image(0, kColours[0]);
    CAdRotator rotator(nullptr, 11, 29, 188, 78);
    folder.Write(AdFile(0, "adi"), Record("[Name]\nTagline", "A"));
    ASSERT_TRUE(rotator.Load(0));
    EXPECT_STREQ("[Name]\nTagline\n\n(A)\n\nClick Now To Jump Here", rotator.TipText());

    const std::string text(sizeof(AD_INFO::text) - 1, 't'), url(sizeof(AD_INFO::url) - 1, 'u');
    folder.Write(AdFile(0, "adi"), Record(text.c_str(), url.c_str()));
    ASSERT_TRUE(rotator.Load(0));
    EXPECT_EQ(text + "\n\n(" + url + ")\n\nClick Now To Jump Here", rotator.TipText());

    folder.Write(AdFile(0, "adi"), std::string(sizeof(AD_INFO), 'x'));
    ASSERT_TRUE(rotator.Load(0));
    EXPECT_EQ(std::string(text.size(), 'x') + "\n\n(" + std::string(url.size(), 'x') + ")\n\nClick Now To Jump Here",
              rotator.TipText())
        << "a record without terminators is cut at the ends of its fields";
}

TEST_F(AdRotatorTest, ThePictureIsDrawnAtItsOwnSizeOnePixelInsideTheHotspot)
{
    const COLORREF top = RGB(255, 0, 255), body = RGB(0, 200, 200);
    folder.Write(AdFile(0, "ad"), SolidBmp(176, 48, body, top));
    AdWindow bar;
    bar.Next();
    const PaintWindow& window = bar.Window();
    EXPECT_EQ(top, window.At(12, 30));
    EXPECT_EQ(top, window.At(187, 30));
    EXPECT_EQ(body, window.At(12, 31));
    EXPECT_EQ(body, window.At(187, 77));
    for (POINT outside : {POINT{11, 30}, POINT{12, 29}, POINT{188, 77}, POINT{187, 78}})
        EXPECT_EQ(kBackground, window.At(outside.x, outside.y)) << outside.x << "," << outside.y;

    bar.rotator = std::make_unique<CAdRotator>(window.Handle(), 0, 0, 199, 100);
    bar.Next();
    EXPECT_EQ(top, window.At(1, 1)) << "the place follows the hotspot";
    EXPECT_EQ(kBackground, window.At(0, 0));
}

TEST_F(AdRotatorTest, OpenHandsTheAddressToTheShell)
{
    // A batch file as the address: the shell runs it, as it would start a browser for a web
    // address, and the file it writes shows that it ran.
    const std::string marker = folder.File("opened.txt");
    folder.Write("open.bat", "@echo opened>\"" + marker + "\"\r\n");
    Image(0, kColours[0]);
    CAdRotator rotator(nullptr, 11, 29, 188, 78);
    folder.Write(AdFile(0, "adi"), Record("[Local]\nA batch file", folder.File("open.bat").c_str()));
    ASSERT_TRUE(rotator.Load(0));
    rotator.Open();
    EXPECT_TRUE(WaitFor([&] { return folder.Exists("opened.txt"); }, 30000));
}

} // namespace
