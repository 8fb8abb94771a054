#include "RosterFixture.h"

#include "support/Wait.h"

ContactRecord Entry(std::int32_t account, const char* nickname, WORD status)
{
    ContactRecord entry = {};
    entry.account = account;
    lstrcpynA(entry.nickname, nickname, sizeof entry.nickname);
    entry.status = status;
    return entry;
}

RosterFixture::RosterFixture()
    : bar([this](HDC dc) {
          const RECT all = {0, 0, 199, 300};
          FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
          RL_Paint(dc, kArea);
      })
{
    RL_Init(bar.Handle());
    RL_View(0);
}

RosterFixture::~RosterFixture()
{
    RL_RefreshIP(0);
    RL_Offline();
    for (const char* cls : {"KVXNote", "KVXChat", "KVXGameInfo", "KVXInfo", "KVXBalloon"})
        while (HWND window = FindWindowA(cls, nullptr)) DestroyWindow(window);
    RL_Init(nullptr);
}

void RosterFixture::Event(WORD kind, const void* data, size_t length, std::int32_t from)
{
    EventHead head = {kind, static_cast<uint16_t>(length), from, {}};
    std::string record(reinterpret_cast<const char*>(&head), sizeof head);
    record.append(static_cast<const char*>(data), length);
    RL_NewEvent(record.data(), static_cast<int>(record.size()), 0, 0, TRUE);
}

void RosterFixture::LogIn(const std::vector<ContactRecord>& list, bool end)
{
    RL_RefreshIP(bar.Socket());
    RL_StatusChange(kAccount, TRUE);
    PACKET_DATA packet;
    EXPECT_TRUE(bar.Next(PKT_CONTACTS_REQUEST, &packet));
    for (const ContactRecord& entry : list) Send(EVENT_CONTACT, entry);
    if (end) Event(EVENT_CONTACTS_END, nullptr, 0);
}

bool RosterFixture::RowShows(int row, COLORREF colour)
{
    RedrawWindow(bar.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(bar.Handle());
    bool found = false;
    for (int y = kArea.top + row * 16; y < kArea.top + row * 16 + 16 && !found; ++y)
        for (int x = kArea.left + 20; x < kArea.right && !found; ++x) {
            const COLORREF pixel = GetPixel(dc, x, y);
            found = colour == kAnything ? pixel != RGB(0, 0, 0) : pixel == colour;
        }
    ReleaseDC(bar.Handle(), dc);
    return found;
}

WORD RosterFixture::ClickAt(int x, int y)
{
    RL_Hilight(x, y, kArea);
    return RL_RClick() ? *reinterpret_cast<const WORD*>(RL_GetVar(0, 10)) : 0;
}

HWND WaitForWindow(const char* cls, const char* title)
{
    HWND found = nullptr;
    WaitFor([&] { return (found = FindWindowA(cls, title)) != nullptr && IsWindowVisible(found); }, 3000, 10);
    return found;
}

std::string TextOf(HWND window)
{
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}
