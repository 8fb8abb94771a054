// The client on damaged, huge and read-only local files, with the real readers on real
// files: KVX.ini, the skin pieces, the ads' records, and web.pal. Files are
// cut at the edges of what they hold (headers, palettes, records, entries): nothing is read
// past the length a file has, unusable values read as defaults, and what the user had stays.
#include <string.h>

#include <memory>

#include "ads/AdRotator.h"
#include "app/Settings.h"
#include "skin/Bitmap.h"
#include "skin/Painter.h"
#include "BarFixture.h"
#include "support/ClientProcess.h"
#include "support/MessageBoxes.h"

namespace {

// The same bytes on every run, every value (NUL too) among them.
std::string Noise(size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    return bytes;
}

// A file no process may write while this lives: held open with sharing for readers only, since
// a read-only attribute does not stop a process that runs as root under Wine.
using HeldFile = std::unique_ptr<void, decltype(&CloseHandle)>;
HeldFile HoldReadOnly(const std::string& path)
{
    return HeldFile(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr),
                    &CloseHandle);
}

class BadFilesTest : public BarFixture {
protected:
    BadFilesTest()
    {
        Skin("HiDef");
        Skin("LoDef");
        CreateDirectoryA("ads", nullptr);
    }
    // The bar's start and exit on whatever KVX.ini holds: it paints a skin and writes what
    // it keeps.
    void StartAndQuit()
    {
        MakeBarFromIni();
        Create(300);
        EXPECT_EQ(kTopColour, At(100, 5)) << "a skin is painted";
        DeleteBar();
    }
};

TEST_F(BadFilesTest, AKvxIniOfNoiseHugeLinesOrHeldReadOnlyStartsOnDefaultsSilentlyAndKeepsWhatItHeld)
{
    const std::string huge(1 << 16, '7'), user = "\r\n[User]\r\nID=1234\r\n";
    const std::string hugeLines = "\r\n[" + huge + "]\r\n" + huge + "=" + huge + "\r\n";
    // Read-only, and all the exit would write already there: it is never rewritten.
    const std::string readOnly = "[Server]\r\n1=127.0.0.1\r\n[Window]\r\nSkinM=HiDef\r\nOnTop=0" + user;
    const struct {
        std::string ini, kept; // what the file must still hold whole after the exit's writes
        const char* view;      // the list's view at start: 0 when missing, else what is stored
    } rows[] = {
        {Noise(1 << 14, 1) + user + Noise(1 << 14, 2), user, "RL_View(0)"},
        {"[Window]\r\nSkinM=" + huge + "\r\nOnTop=" + huge + user + "[KVX]\r\nView=" + huge + hugeLines, hugeLines,
         "RL_View(2147483647)"},
        {readOnly, readOnly, "RL_View(0)"},
    };
    for (const auto& row : rows) {
        folder.Write("KVX.ini", row.ini);
        const HeldFile held = HoldReadOnly(row.ini == readOnly ? folder.File("KVX.ini") : "");
        Recorder::Get().Reset();
        BoxAnswerer answerer;
        StartAndQuit();
        EXPECT_TRUE(answerer.Seen().empty());
        const std::vector<std::string>& calls = Recorder::Get().Calls();
        EXPECT_NE(calls.end(), std::find(calls.begin(), calls.end(), row.view));
        EXPECT_EQ(1234, CSettings("KVX").ReadInt("User", "ID"));
        EXPECT_NE(std::string::npos, folder.Read("KVX.ini").find(row.kept));
    }
}

TEST_F(BadFilesTest, SkinPiecesCutAtAnyEdgeOfTheirHeadersOrPixelsAreRefused)
{
    // Each sample is cut at 0, at its file and info headers' ends and one short of whole; the
    // 8-bit one at its palette's end too.
    const struct {
        const char* sample;
        std::vector<size_t> cuts; // besides those all samples are cut at
    } rows[] = {{"skins\\HiDef-M.bmp", {}}, {"skins\\LoDef-M.bmp", {54 + 1023, 54 + 1024}}};
    for (const auto& row : rows) {
        const std::string whole = ReadWhole(DistFolder() + "\\" + row.sample);
        ASSERT_GT(whole.size(), 1078u) << row.sample;
        std::vector<size_t> cuts = {0, 13, 14, 53, 54, whole.size() - 1};
        cuts.insert(cuts.end(), row.cuts.begin(), row.cuts.end());
        for (size_t i = 0; i <= cuts.size(); ++i) {
            const std::string bytes = i < cuts.size() ? whole.substr(0, cuts[i]) : whole;
            const std::string piece = std::string("skins\\Cut-") + "TMB"[i % 3] + ".bmp";
            for (char letter : std::string("TMB")) folder.Write(std::string("skins\\Cut-") + letter + ".bmp", whole);
            folder.Write(piece, bytes);
            // The last cut of each sample, and the whole file, are read-only.
            const HeldFile readOnly = HoldReadOnly(i + 1 >= cuts.size() ? folder.File(piece) : "");
            EXPECT_EQ(i == cuts.size(), CSkin().Load("Cut")) << row.sample << " cut to " << bytes.size() << " bytes";
        }
    }
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
        std::string header, table, pixels;
        LONG width, height; // 0: refused
    } rows[] = {
        {"run-length 8-bit", info(4, 2, 8, BI_RLE8, 14, 0), std::string(1024, '\x40'), rle8, 4, 2},
        {"run-length ending before its stated size", info(4, 2, 8, BI_RLE8, 5000, 0), std::string(1024, 1), rle8, 4, 2},
        {"run-length 4-bit", info(4, 2, 4, BI_RLE4, 8, 0), std::string(64, '\x40'), rle4, 4, 2},
        {"OS/2 core header", Bytes(BITMAPCOREHEADER{sizeof(BITMAPCOREHEADER), 2, 2, 1, 24}), "", std::string(16, 1), 2,
         2},
        {"wider than 4096", info(5000, 1, 24, BI_RGB, 0, 0), "", std::string(15000, '\x30'), 5000, 1},
        {"300 colours used", info(2, 2, 24, BI_RGB, 0, 300), std::string(1200, 1), std::string(16, '\x50'), 2, 2},
        {"run-length running on past the end", info(4, 200, 8, BI_RLE8, 5000, 0), std::string(1024, 1),
         rle8.substr(0, 4), 0, 0},
    };
    for (const auto& row : rows) {
        const size_t offset = 14 + row.header.size() + row.table.size();
        const BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(offset + row.pixels.size()), 0, 0,
                                       static_cast<DWORD>(offset)};
        folder.Write("sample.bmp", Bytes(file) + row.header + row.table + row.pixels);
        CBitmap bitmap;
        EXPECT_EQ(row.width != 0, bitmap.Load("sample", true)) << row.name;
        EXPECT_EQ(row.width ? row.width : 1, bitmap.Width()) << row.name;
        EXPECT_EQ(row.height ? row.height : 1, bitmap.Height()) << row.name;
    }
}

TEST_F(BadFilesTest, AnInfoRecordCutShortReplacesOnlyTheBytesItHolds)
{
    folder.Write("ads\\ad000.ad", SolidBmp(4, 4, RGB(1, 2, 3)));
    folder.Write("ads\\ad001.ad", SolidBmp(4, 4, RGB(1, 2, 3)));
    CAdRotator rotator(nullptr, 11, 29, 188, 78);
    const std::string one = AdInfoBytes("[One]\nThe ad shown before", "https://kvx.example/one");
    const std::string zero = AdInfoBytes("[Zero]\nA tagline", "https://kvx.example/zero");
    folder.Write("ads\\ad001.adi", one);
    // Cut to n bytes; n of a whole record and more reads a whole record; no file reads none.
    for (const size_t n : std::initializer_list<size_t>{0, 1, 259, 260, 261, 3259, 3260, 3360, 99999}) {
        if (n == 99999) DeleteFileA("ads\\ad000.adi");
        else folder.Write("ads\\ad000.adi", n <= zero.size() ? zero.substr(0, n) : zero + std::string(100, 'x'));
        ASSERT_TRUE(rotator.Load(1));
        const size_t held = n == 99999 ? 0 : std::min(n, zero.size());
        std::string expected = zero.substr(0, held) + one.substr(held);
        AD_INFO record;
        memcpy(&record, expected.data(), sizeof record);
        record.url[sizeof record.url - 1] = record.text[sizeof record.text - 1] = '\0';
        EXPECT_EQ(record.url[0] != '\0', rotator.Load(0)) << n << " bytes";
        EXPECT_EQ(std::string(record.text) + "\n\n(" + record.url + ")\n\nClick Now To Jump Here", rotator.TipText())
            << n << " bytes";
    }
}

TEST_F(BadFilesTest, WebPalGivesItsWholeEntriesInBlueGreenRedOrderOverTheBuiltInColours)
{
    std::string whole(24, 'h');
    for (int i = 0; i < 256; ++i) whole += std::string{char(10 + i % 50), char(20 + i % 60), char(30 + i % 70), '\0'};
    // Cut inside the header, at entry edges, and longer than 256 entries.
    for (const size_t size : std::initializer_list<size_t>{0, 23, 24, 27, 28, 1047, 1048, 1348}) {
        folder.Write("web.pal", size <= whole.size() ? whole.substr(0, size) : whole + Noise(300, 3));
        const HeldFile readOnly = HoldReadOnly(size == 1048 ? folder.File("web.pal") : "");
        CPainter painter;
        std::vector<PALETTEENTRY> got(256);
        ASSERT_EQ(256u, GetPaletteEntries(painter.Palette(), 0, 256, got.data()));
        const size_t entries = size < 24 ? 0 : std::min<size_t>((size - 24) / 4, 256);
        for (size_t i = 0; i < 256; ++i) {
            // A file's entry is blue, green, red; the built-in colours are the web cube.
            const BYTE* file = reinterpret_cast<const BYTE*>(&whole[24 + 4 * i]);
            const PALETTEENTRY cube = {BYTE(i / 36 * 51), BYTE(i / 6 % 6 * 51), BYTE(i % 6 * 51), PC_NOCOLLAPSE};
            const PALETTEENTRY want = i < entries ? PALETTEENTRY{file[2], file[1], file[0], PC_NOCOLLAPSE} : cube;
            if (i >= 216 && i >= entries) continue; // the grey ramp after the cube is the implementer's
            ASSERT_EQ(0, memcmp(&want, &got[i], sizeof want)) << "entry " << i << " of a file of " << size;
        }
    }
}

} // namespace
