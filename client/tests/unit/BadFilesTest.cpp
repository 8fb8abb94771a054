// The client on damaged, huge and read-only local files, with the real readers on real
// files: KVX.ini through the private-profile functions, the skin pieces, the ads' pictures
// and records, and web.pal. Whatever a file holds nothing crashes, unusable values read as
// defaults, no file is read past the length it has, and what the user had stays.
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ads/AdRotator.h"
#include "app/Globals.h"
#include "app/Settings.h"
#include "doubles/Recorder.h"
#include "skin/Bitmap.h"
#include "skin/Painter.h"
#include "skin/Skin.h"
#include "BarFixture.h"
#include "support/ClientProcess.h"
#include "support/MessageBoxes.h"
#include "support/Pixels.h"

namespace {

// The same bytes on every run, every value (NUL too) among them.
std::string Noise(size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    return bytes;
}

// The lengths a sample is cut to: every one for a small file, else every one inside its
// headers (the first `head` bytes) and a stride through the rest; never the whole file.
std::vector<size_t> Cuts(size_t size, size_t head)
{
    const size_t stride = size <= 8192 ? 1 : 61;
    std::vector<size_t> cuts;
    for (size_t n = 0; n < size; n += n < head ? 1 : stride) cuts.push_back(n);
    return cuts;
}

std::string DistFile(const std::string& relative)
{
    FILE* file = fopen((DistFolder() + "\\" + relative).c_str(), "rb");
    std::string bytes;
    if (!file) return bytes;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    fclose(file);
    return bytes;
}

// A file no process may write while this lives: read-only, and held open with sharing for
// readers only, since the attribute alone does not stop a process that runs as root under Wine.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& path) : m_path(path)
    {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
        m_handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, m_handle) << path;
    }
    ~ReadOnlyFile()
    {
        if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
        SetFileAttributesA(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

private:
    std::string m_path;
    HANDLE m_handle;
};

class BadFilesTest : public BarFixture {
protected:
    // The bar's start and exit on the KVX.ini the folder holds: it reads its values,
    // paints a skin and writes what it keeps.
    void StartAndQuit()
    {
        MakeBarFromIni();
        Create(300);
        EXPECT_EQ(kTopColour, At(100, 5)) << "a skin is painted";
        DeleteBar();
    }
    static LONG Stored(const char* section, const char* key)
    {
        CSettings settings("KVX");
        return settings.ReadInt(section, key);
    }
};

TEST_F(BadFilesTest, AKvxIniOfNoiseOrHugeLinesStartsOnDefaultsAndKeepsWhatItHeld)
{
    Skin("HiDef");
    Skin("LoDef");
    const std::string huge(1 << 20, '7');
    const std::string user = "\r\n[User]\r\nID=1234\r\n";
    const std::string hugeLines = "\r\n[" + huge + "]\r\n" + huge + "=" + huge + "\r\n";
    const struct {
        const char* name;
        std::string ini;
        std::string kept; // what the file must still hold whole after the exit's writes
        const char* view; // the list's view at start: 0 when missing, else what is stored
    } cases[] = {
        {"noise", Noise(1 << 16, 1) + user + Noise(1 << 16, 2), user, "RL_View(0)"},
        {"lines of 1 MiB",
         "[Window]\r\nSkinM=" + huge + "\r\nOnTop=" + huge + user + "[KVX]\r\nView=" + huge + hugeLines, hugeLines,
         "RL_View(2147483647)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        folder.Write("KVX.ini", c.ini);
        Recorder::Get().Reset();
        BoxAnswerer answerer;
        StartAndQuit();
        const auto seen = answerer.Seen();
        EXPECT_TRUE(seen.empty()) << seen[0].text;
        const std::vector<std::string> calls = Recorder::Get().Calls();
        EXPECT_NE(calls.end(), std::find(calls.begin(), calls.end(), c.view));
        EXPECT_EQ(1234, Stored("User", "ID"));
        EXPECT_NE(std::string::npos, folder.Read("KVX.ini").find(c.kept));
    }
}

TEST_F(BadFilesTest, AReadOnlyKvxIniIsNeverRewrittenAndEveryFailedWriteIsReported)
{
    Skin("HiDef");
    Skin("LoDef");
    const std::string ini = "[Server]\r\n1=127.0.0.1\r\n[Window]\r\nSkinM=HiDef\r\nOnTop=0\r\n[User]\r\nID=1234\r\n";
    folder.Write("KVX.ini", ini);
    ReadOnlyFile readOnly(folder.File("KVX.ini"));
    {
        BoxAnswerer answerer;
        StartAndQuit();
        EXPECT_TRUE(answerer.Seen().empty()) << "nothing changed, nothing written";
    }
    EXPECT_EQ(ini, folder.Read("KVX.ini"));

    // The stored skin is gone: the bar falls back and tries to store the one it uses.
    folder.Write("skins\\HiDef-T.bmp", "");
    {
        BoxAnswerer answerer;
        StartAndQuit();
        EXPECT_FALSE(answerer.Seen().empty());
    }
    BoxAnswerer answerer;
    CSettings settings("KVX");
    EXPECT_FALSE(settings.WriteInt("Window", "x", 5));
    EXPECT_FALSE(settings.WriteInt("Window", "y", 6));
    const auto seen = answerer.Seen();
    ASSERT_EQ(2u, seen.size()) << "one box per failed write";
    for (const SeenBox& box : seen) {
        EXPECT_EQ("KVX Error", box.caption);
        EXPECT_EQ(0u, box.text.find("Cannot save setting to INI file. (" + folder.Path() + "\\KVX.ini)\n\n"));
    }
    EXPECT_EQ(ini, folder.Read("KVX.ini")) << "a read-only file is not clobbered";
}

TEST_F(BadFilesTest, ASkinPieceCutShortAnywhereIsRefusedBeforeItIsLoaded)
{
    for (const char* sample : {"skins\\HiDef-M.bmp", "skins\\LoDef-M.bmp"}) {
        const std::string whole = DistFile(sample);
        ASSERT_GT(whole.size(), 1078u) << sample;
        for (char letter : std::string("TMB")) folder.Write(std::string("skins\\Cut-") + letter + ".bmp", whole);
        CSkin intact;
        ASSERT_TRUE(intact.Load("Cut")) << sample;
        size_t i = 0;
        for (size_t cut : Cuts(whole.size(), 14 + 40 + 1024 + 1)) {
            const std::string piece = std::string("skins\\Cut-") + "TMB"[i++ % 3] + ".bmp";
            folder.Write(piece, whole.substr(0, cut));
            CSkin skin;
            EXPECT_FALSE(skin.Load("Cut")) << sample << " cut to " << cut << " bytes as " << piece;
            folder.Write(piece, whole);
        }
    }
    // A read-only piece is checked like any other: one row short is refused, whole is loaded.
    const std::string whole = DistFile("skins\\HiDef-M.bmp");
    folder.Write("skins\\Cut-M.bmp", whole.substr(0, whole.size() - 1));
    {
        ReadOnlyFile readOnly(folder.File("skins\\Cut-M.bmp"));
        CSkin skin;
        EXPECT_FALSE(skin.Load("Cut"));
    }
    folder.Write("skins\\Cut-M.bmp", whole);
    ReadOnlyFile readOnly(folder.File("skins\\Cut-M.bmp"));
    CSkin skin;
    EXPECT_TRUE(skin.Load("Cut"));
}

template <typename T> std::string Bytes(const T& value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

TEST_F(BadFilesTest, EveryBitmapTheSystemLoadsIsLoadedUnlessLoadingReadsPastItsEnd)
{
    const auto info = [](LONG width, LONG height, WORD bits, DWORD compression, DWORD image, DWORD used) {
        const BITMAPINFOHEADER header = {sizeof header, width, height, 1, bits, compression, image, 0, 0, used, 0};
        return Bytes(header);
    };
    const std::string rle8("\x04\x01\x00\x00\x02\x02\x00\x03\x05\x06\x07\x00\x00\x01", 14); // run, literal, end
    const std::string rle4("\x04\x12\x00\x00\x04\x34\x00\x01", 8);
    const struct {
        const char* name;
        std::string header, table, rows;
        LONG width, height; // 0: refused
    } cases[] = {
        {"run-length 8-bit", info(4, 2, 8, BI_RLE8, 14, 0), std::string(1024, '\x40'), rle8, 4, 2},
        {"run-length ending before its stated size", info(4, 2, 8, BI_RLE8, 5000, 0), std::string(1024, 1), rle8, 4,
         2},
        {"run-length 4-bit", info(4, 2, 4, BI_RLE4, 8, 0), std::string(64, '\x40'), rle4, 4, 2},
        {"OS/2 core header", Bytes(BITMAPCOREHEADER{sizeof(BITMAPCOREHEADER), 2, 2, 1, 24}), "", std::string(16, 1), 2,
         2},
        {"wider than 4096", info(5000, 1, 24, BI_RGB, 0, 0), "", std::string(15000, '\x30'), 5000, 1},
        {"300 colours used", info(2, 2, 24, BI_RGB, 0, 300), std::string(1200, 1), std::string(16, '\x50'), 2, 2},
        {"run-length running on past the end", info(4, 200, 8, BI_RLE8, 5000, 0), std::string(1024, 1),
         rle8.substr(0, 4), 0, 0},
    };
    for (const auto& c : cases) {
        const size_t offset = 14 + c.header.size() + c.table.size();
        const BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(offset + c.rows.size()), 0, 0,
                                       static_cast<DWORD>(offset)};
        folder.Write("sample.bmp", Bytes(file) + c.header + c.table + c.rows);
        if (c.width) {
            HANDLE system =
                LoadImageA(nullptr, "sample.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
            ASSERT_NE(nullptr, system) << c.name << ": the system loads it";
            DeleteObject(system);
        }
        CBitmap bitmap;
        EXPECT_EQ(c.width != 0, bitmap.Load("sample", true)) << c.name;
        EXPECT_EQ(c.width ? c.width : 1, bitmap.Width()) << c.name;
        EXPECT_EQ(c.height ? c.height : 1, bitmap.Height()) << c.name;
    }
}

class BadAdFilesTest : public InScratchFolder {
protected:
    BadAdFilesTest() { CreateDirectoryA("ads", nullptr); }
    static std::string Record(const char* text, const char* url)
    {
        AD_INFO info = {};
        lstrcpynA(info.text, text, sizeof info.text);
        lstrcpynA(info.url, url, sizeof info.url);
        return std::string(reinterpret_cast<const char*>(&info), sizeof info);
    }
};

TEST_F(BadAdFilesTest, AnAdPictureCutShortAnywhereIsNotShown)
{
    const std::string whole = DistFile("ads\\ad000.ad");
    ASSERT_GT(whole.size(), 54u);
    CAdRotator rotator(nullptr, 11, 29, 188, 78);
    folder.Write("ads\\ad000.ad", whole);
    ASSERT_TRUE(rotator.Load(0));
    for (size_t cut : Cuts(whole.size(), 54 + 1)) {
        folder.Write("ads\\ad000.ad", whole.substr(0, cut));
        EXPECT_FALSE(rotator.Load(0)) << "cut to " << cut << " bytes";
    }
}

TEST_F(BadAdFilesTest, AnInfoRecordCutShortAnywhereReplacesOnlyTheBytesItHolds)
{
    folder.Write("ads\\ad000.ad", SolidBmp(4, 4, RGB(1, 2, 3)));
    folder.Write("ads\\ad001.ad", SolidBmp(4, 4, RGB(1, 2, 3)));
    CAdRotator rotator(nullptr, 11, 29, 188, 78);
    const std::string before = Record("[One]\nThe ad shown before", "https://kvx.example/one");
    const std::string sample = Record("[Zero]\nA tagline", "https://kvx.example/zero");
    folder.Write("ads\\ad001.adi", before);
    std::vector<size_t> cuts = Cuts(sample.size() + 1, sample.size() + 1);
    cuts.push_back(sample.size() + 100); // longer than a record: the rest is ignored
    for (size_t cut : cuts) {
        if (cut == sample.size() + 1) DeleteFileA("ads\\ad000.adi"); // and no file at all
        else folder.Write("ads\\ad000.adi", cut <= sample.size() ? sample.substr(0, cut) : sample + std::string(99, 'x'));
        ASSERT_TRUE(rotator.Load(1));
        std::string expected = before;
        if (cut <= sample.size()) expected.replace(0, cut, sample.substr(0, cut));
        if (cut > sample.size() + 1) expected = sample;
        AD_INFO record;
        memcpy(&record, expected.data(), sizeof record);
        record.url[sizeof record.url - 1] = record.text[sizeof record.text - 1] = '\0';
        EXPECT_EQ(record.url[0] != '\0', rotator.Load(0)) << "cut to " << cut << " bytes";
        const std::string tip = std::string(record.text) + "\n\n(" + record.url + ")\n\nClick Now To Jump Here";
        EXPECT_EQ(tip, rotator.TipText()) << "cut to " << cut << " bytes";
    }
}

using BadPaletteTest = InScratchFolder;

TEST_F(BadPaletteTest, WebPalCutShortAnywhereGivesItsWholeEntriesOverTheBuiltInColours)
{
    const std::string whole = DistFile("web.pal");
    ASSERT_EQ(24u + 256 * 4, whole.size());
    std::vector<PALETTEENTRY> builtIn(256);
    {
        CPainter painter;
        ASSERT_EQ(256u, GetPaletteEntries(painter.Palette(), 0, 256, builtIn.data()));
    }
    std::vector<size_t> cuts = Cuts(whole.size() + 1, whole.size() + 1);
    cuts.push_back(whole.size() + 300); // a longer file: the entries past 256 are not read
    for (size_t cut : cuts) {
        folder.Write("web.pal", cut <= whole.size() ? whole.substr(0, cut) : whole + Noise(300, 3));
        // A read-only file reads like any other.
        std::unique_ptr<ReadOnlyFile> readOnly;
        if (cut == whole.size()) readOnly = std::make_unique<ReadOnlyFile>(folder.File("web.pal"));
        CPainter painter;
        std::vector<PALETTEENTRY> got(256);
        ASSERT_EQ(256u, GetPaletteEntries(painter.Palette(), 0, 256, got.data()));
        const size_t entries = cut < 24 ? 0 : std::min<size_t>((cut - 24) / 4, 256);
        for (size_t i = 0; i < 256; ++i) {
            const char* entry = &whole[24 + 4 * i]; // blue, green, red, unused
            const PALETTEENTRY want = i < entries ? PALETTEENTRY{static_cast<BYTE>(entry[2]), static_cast<BYTE>(entry[1]),
                                                                 static_cast<BYTE>(entry[0]), PC_NOCOLLAPSE}
                                                  : builtIn[i];
            ASSERT_EQ(0, memcmp(&want, &got[i], sizeof want)) << "entry " << i << " of a file cut to " << cut;
        }
    }
    EXPECT_EQ(0, builtIn[0].peRed + builtIn[0].peGreen + builtIn[0].peBlue) << "the built-in web colours";
    EXPECT_EQ(255 * 3, builtIn[215].peRed + builtIn[215].peGreen + builtIn[215].peBlue);
}

} // namespace
