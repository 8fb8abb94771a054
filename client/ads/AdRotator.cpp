#include "ads/AdRotator.h"

#include <shellapi.h>
#include <stdio.h>

#include "ads/AdRecord.h"
#include "app/File.h"
#include "app/Reporter.h"
#include "skin/Bitmap.h"

namespace {

struct BuiltInAd {
    const char* text;
    const char* url;
};

// The ads the client always has: its own features, so a fresh folder never shows a
// stranger's banner.
const BuiltInAd kBuiltInAds[] = {
    {"[KVX Skins]\nDress your bar: HiDef and LoDef ship with KVX", "https://kvx.example/skins"},
    {"[KVX Contacts]\nSee at a glance who is online and what they play", "https://kvx.example/contacts"},
    {"[KVX Games]\nSet your games up once, then launch them from the bar", "https://kvx.example/games"},
    {"[KVX Servers]\nScan the game servers and join your friends in one click", "https://kvx.example/servers"},
    {"[KVX Dock]\nPin the bar to a screen edge, or keep it on top", "https://kvx.example/dock"},
    {"[KVX Invite]\nBring a friend along: a new KVX# takes a minute", "https://kvx.example/invite"},
};

const char kTipFormat[] = "%s\n\n(%s)\n\nClick Now To Jump Here";
static_assert(CAdRotator::kTipSize >= sizeof(AD_INFO::text) - 1 + sizeof(AD_INFO::url) - 1 + sizeof kTipFormat,
              "the tip holds a full text and a full address");

} // namespace

CAdRotator::CAdRotator(HWND window, LONG left, LONG top, LONG right, LONG bottom)
    : m_window(window), m_hotspot{left, top, right, bottom}
{
    if (GetCurrentDirectoryA(sizeof m_folder, m_folder) >= sizeof m_folder) m_folder[0] = '\0';
    UINT n = 0;
    for (const BuiltInAd& ad : kBuiltInAds) WriteDefault(n++, ad.text, ad.url);
}

CAdRotator::~CAdRotator() = default;

bool CAdRotator::AdPath(UINT n, const char* suffix, char (&path)[MAX_PATH]) const
{
    const int length = snprintf(path, sizeof path, "%s\\ads\\ad%.3u.ad%s", m_folder, n, suffix);
    return length >= 0 && length < static_cast<int>(sizeof path);
}

void CAdRotator::WriteDefault(UINT n, const char* text, const char* url)
{
    m_info = AD_INFO{};
    lstrcpynA(m_info.text, text, sizeof m_info.text);
    lstrcpynA(m_info.url, url, sizeof m_info.url);
    char path[MAX_PATH];
    CFile file;
    if (AdPath(n, "i", path) && file.Create(path)) file.Write(&m_info, sizeof m_info);
}

bool CAdRotator::Load(UINT n)
{
    m_image.reset();
    m_image = std::make_unique<CBitmap>();
    char path[MAX_PATH];
    if (!AdPath(n, "", path)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return CReporter::Debug("CAdRotator::Load(%u)", n);
    }
    if (!m_image->Load(path, false)) return false;
    CFile file;
    AD_INFO read = {};
    const DWORD got = AdPath(n, "i", path) && file.Open(path) ? file.Read(&read, sizeof read) : 0;
    return CAdRecord::Read(&read, got, &m_info);
}

void CAdRotator::Next()
{
    bool ok = Load(m_index);
    while (!ok) {
        if (m_index == 0) return;
        m_index = 0;
        ok = Load(0);
    }
    InvalidateRect(m_window, &m_hotspot, FALSE);
    ++m_index;
}

void CAdRotator::Paint(HDC dc) const
{
    // Nothing loaded is nothing to draw; the failed load has been traced already.
    if (m_image && m_image->Handle()) m_image->Paint(dc, m_hotspot.left + 1, m_hotspot.top + 1);
}

void CAdRotator::Open() const { ShellExecuteA(nullptr, "open", m_info.url, nullptr, nullptr, SW_SHOW); }

const char* CAdRotator::TipText()
{
    snprintf(m_tip, sizeof m_tip, kTipFormat, m_info.text, m_info.url);
    return m_tip;
}
