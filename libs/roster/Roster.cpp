#include "Roster.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "AwayDialog.h"
#include "ChatWindow.h"
#include "ContactView.h"
#include "GameInfoWindow.h"
#include "StatusLook.h"
#include "TransferWindow.h"
#include "artres/artres.h"
#include "records/Bar.h"
#include "records/GameRecord.h"
#include "notepost/notepost.h"
#include "sockio/sockio.h"
#include "winkit/winkit.h"
#include "wire/Status.h"

namespace {

// The contact menu's commands.
enum Command : WORD {
    kMessage = 22,
    kDelete = 23,
    kPing = 24,
    kAddToList = 25,
    kChat = 26,
    kQuake2Info = 49,
    kSubspaceInfo = 55,
    kEmail = 56,
    kFile = 57,
    kInfo = 61,
    kCommLog = 62,
};

const char kTitle[] = "KVX";
const char kNotConnected[] = "You are not connected to the KVX server. Go online and try again.";

std::string TextOf(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

USER_INFO_STRUCT UserOf(const ContactRecord& entry)
{
    USER_INFO_STRUCT user = {};
    user.accountNumber = entry.account;
    lstrcpynA(user.nickname, entry.nickname, sizeof user.nickname);
    return user;
}

std::string AddressText(const GameSpot& game)
{
    const std::uint8_t* ip = reinterpret_cast<const std::uint8_t*>(&game.addr);
    char text[40];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u:%ld", ip[0], ip[1], ip[2], ip[3], static_cast<long>(game.port));
    return text;
}

} // namespace

const char CRoster::kListPath[] = "Data\\contacts.dat";
const char CRoster::kEventsPath[] = "Data\\events.dat";
const char CRoster::kAwayPath[] = "Data\\away.txt";

CRoster::CRoster()
    : m_bar(nullptr), m_socket(0), m_account(0), m_address(), m_listFile(kListPath), m_eventsFile(kEventsPath),
      m_awayFile(kAwayPath), m_listAsked(false), m_askedOn(0), m_area(), m_hilight(-1), m_hover(0), m_clicked(0),
      m_clickedStatus(100), m_clickedFlags(), m_away(), m_infoFor(0), m_mailFor(0)
{
}

void CRoster::Init(HWND bar)
{
    m_bar = bar;
    m_socket = 0;
    m_listAsked = false;
    m_hilight = -1;
    m_hover = m_clicked = 0;
    m_list.Load(m_listFile);
    m_events.Load(m_eventsFile);
    m_transfers.Init(bar);
    lstrcpynA(m_away, m_awayFile.Read().c_str(), sizeof m_away);
}

void CRoster::Paint(HDC dc, const RECT& area)
{
    m_area = area;
    CContactView::Paint(dc, area, m_list.Shown(), m_hilight);
}

void CRoster::Hilight(int x, int y, const RECT& area)
{
    m_area = area;
    const std::vector<const ContactRecord*> shown = m_list.Shown();
    const int row = CContactView::RowAt(x, y, area, static_cast<int>(shown.size()));
    m_hover = row < 0 ? 0 : shown[static_cast<size_t>(row)]->account;
    if (row == m_hilight) return;
    m_hilight = row;
    Redraw();
}

bool CRoster::RClick()
{
    const ContactRecord* entry = m_list.Find(m_hover);
    m_clicked = entry ? entry->account : 0;
    m_clickedStatus = entry ? entry->status : 100;
    m_clickedFlags[0] = entry ? static_cast<char>(entry->addFlag) : 0;
    return entry != nullptr;
}

void CRoster::UserEvent()
{
    if (const ContactRecord* entry = m_list.Find(m_clicked)) NP_Send(UserOf(*entry), kMessage, m_account, m_bar);
}

const char* CRoster::GetVar(int what) const
{
    return what == 10 ? reinterpret_cast<const char*>(&m_clickedStatus) : m_clickedFlags;
}

void CRoster::Command(WORD command)
{
    const ContactRecord* found = m_list.Find(m_clicked);
    if (!found) return;
    const ContactRecord entry = *found; // the list may change while a command runs
    const std::string name = CContactView::Name(entry);
    switch (command) {
    case kMessage: NP_Send(UserOf(entry), kMessage, m_account, m_bar); break;
    case kDelete:
        // An offer is only ours; a listed entry goes once the server has removed it.
        if (entry.addFlag) {
            m_list.Remove(entry.account);
            SaveList();
            Redraw();
        } else {
            SendAboutEntry(PKT_CONTACT_DELETE, entry, "remove someone from your list");
        }
        break;
    case kAddToList: SendAboutEntry(PKT_CONTACT_ADD, entry, "add someone to your list"); break;
    case kInfo: Info(entry); break;
    case kEmail: Mail(entry); break;
    case kChat: CChatWindow::Open(m_bar, entry.account, name); break;
    case kQuake2Info: GameInfo(entry, STATUS_QUAKE2); break;
    case kSubspaceInfo: GameInfo(entry, STATUS_SUBSPACE); break;
    case kCommLog: NP_ShowLog(m_account, entry.account, name.c_str()); break;
    case kPing: Ping(entry, name); break;
    case kFile: m_transfers.Send(entry.account, name); break;
    default: break;
    }
}

void CRoster::Ping(const ContactRecord& entry, const std::string& name)
{
    if (entry.status < STATUS_ONLINE) CContactPinger::ShowOffline(name);
    else if (!m_pinger.Ping(m_socket, entry.account, name))
        Tell("Ping", std::string("You need to be connected to the KVX server to ping someone."));
}

void CRoster::Scroll(int step)
{
    if (m_list.Scroll(step, CContactView::Rows(m_area))) Redraw();
}

void CRoster::SetView(int view)
{
    m_list.SetView(view);
    m_hilight = -1;
    m_hover = 0;
    Redraw();
}

void CRoster::ShowNews()
{
    if (m_news.empty()) return;
    if (IsWindow(m_newsWindow)) DestroyWindow(m_newsWindow);
    m_newsWindow = WK_Info("KVX News", m_news.c_str(), AR_Icon("On"));
}

std::string CRoster::ServerPingLine() const
{
    const long long took = m_ping.Last();
    if (took == CPingThread::kNotYet) return std::string();
    if (took == CPingThread::kNoAnswer) return "Ping to the KVX server: no answer in 5 s";
    return "Ping to the KVX server: " + CContactPinger::Milliseconds(took);
}

HWND CRoster::Balloon() const
{
    const ContactRecord* entry = m_list.Find(m_hover);
    // Over the list's empty rows: the user's own round trip, once there is one.
    if (!entry) return ServerPingLine().empty() ? nullptr : WK_ShowBalloon(ServerPingLine().c_str());
    const CStatusLook look(entry->status, entry->addFlag != 0);
    char text[600];
    int used = std::snprintf(text, sizeof text, "%s\nKVX# %ld\n%s", CContactView::Name(*entry).c_str(),
                             static_cast<long>(entry->account), look.Text());
    if (entry->away[0] && used < static_cast<int>(sizeof text))
        used += std::snprintf(text + used, sizeof text - used, "\n\"%s\"", entry->away);
    if (entry->status >= STATUS_QUAKE2 && entry->game.addr && used < static_cast<int>(sizeof text))
        std::snprintf(text + used, sizeof text - used, "\nPlaying %s on %s %s", look.Text(),
                      AddressText(entry->game).c_str(), entry->game.info);
    return WK_ShowBalloon(text);
}

bool CRoster::EventIcon(char* name100, char* text300) const
{
    if (m_events.Empty()) return false;
    const CEventQueue::Event& event = m_events.Oldest();
    if (event.kind == EVENT_FILE_OFFER) {
        if (name100) lstrcpynA(name100, "file", 100);
        if (text300)
            std::snprintf(text300, 300, "%s offers %s, %s", event.offer.nickname, event.offer.name,
                          CTransferWindow::Size(event.offer.size).c_str());
        return true;
    }
    const bool message = event.kind == EVENT_MESSAGE;
    if (name100) lstrcpynA(name100, message ? "Msg" : "Add", 100);
    if (text300) std::snprintf(text300, 300, message ? "Message from %s" : "%s added you", event.Nickname());
    return true;
}

bool CRoster::DoNextEvent()
{
    if (m_events.Empty()) return false;
    const CEventQueue::Event event = m_events.Oldest();
    m_events.DropOldest();
    m_events.Save(m_eventsFile);
    if (event.kind == EVENT_FILE_OFFER) {
        m_transfers.Decide(event.offer);
        return true;
    }
    if (event.kind == EVENT_MESSAGE) {
        NP_Show(event.message.from, event.message.nickname, event.message.sentAt, event.message.text, m_account, m_bar);
        return true;
    }
    char text[300];
    std::snprintf(text, sizeof text, "%s (KVX# %ld) added you to their contact list.%s", event.contact.nickname,
                  static_cast<long>(event.contact.account),
                  m_list.Find(event.contact.account) && m_list.Find(event.contact.account)->addFlag
                      ? "\n\nRight-click them in your list to add them too."
                      : "");
    Tell("Added You", text);
    return true;
}

void CRoster::NewEvent(const void* record, int length)
{
    EventHead head = {};
    if (!record || length < static_cast<int>(sizeof head)) return;
    std::memcpy(&head, record, sizeof head);
    const unsigned char* data = static_cast<const unsigned char*>(record) + sizeof head;
    size_t size = static_cast<size_t>(length) - sizeof head;
    if (head.length < size) size = head.length;
    // A payload shorter than its record is a protocol error and means nothing.
    auto read = [&](auto& out) {
        if (size < sizeof out) return false;
        std::memcpy(&out, data, sizeof out);
        return true;
    };
    ContactRecord contact;
    switch (head.kind) {
    case EVENT_CONTACT:
        if (read(contact)) OnContact(contact);
        break;
    case EVENT_CONTACTS_END: OnContactsEnd(); break;
    case EVENT_PRESENCE:
        if (read(contact)) OnPresence(contact);
        break;
    case EVENT_CONTACT_REMOVED: {
        AccountRecord account;
        if (read(account)) OnRemoved(account);
        break;
    }
    case EVENT_MESSAGE: {
        MessageRecord message;
        if (read(message)) OnMessage(message);
        break;
    }
    case EVENT_ADDED_YOU:
        if (read(contact)) OnAddedYou(contact);
        break;
    case EVENT_NEWS: OnNews(reinterpret_cast<const char*>(data), size); break;
    case EVENT_CHAT: {
        ChatLineRecord line;
        if (read(line)) OnChat(line);
        break;
    }
    case EVENT_PING:
    case EVENT_PING_REPLY: {
        PingRecord ping;
        if (!read(ping)) break;
        if (head.kind == EVENT_PING) CContactPinger::Answer(m_socket, ping);
        else m_pinger.OnReply(ping);
        break;
    }
    case EVENT_FILE_PROGRESS:
    case EVENT_FILE_STORED: {
        FileProgressRecord progress;
        if (!read(progress)) break;
        if (head.kind == EVENT_FILE_PROGRESS) m_transfers.OnProgress(progress);
        else m_transfers.OnStored(progress);
        break;
    }
    case EVENT_FILE_REFUSED: {
        FileRefusedRecord refused;
        if (read(refused)) m_transfers.OnRefused(refused);
        break;
    }
    case EVENT_FILE_OFFER: {
        FileOfferEventRecord offer;
        if (read(offer)) OnFileOffer(offer);
        break;
    }
    case EVENT_FILE_CHUNK: m_transfers.OnChunk(data, size); break;
    default: break;
    }
}

void CRoster::OnFileOffer(const FileOfferEventRecord& record)
{
    // Sent again after every list until fetched or declined: once queued or under way is enough.
    if (m_transfers.Fetching(record.id) || !m_events.Add(CEventQueue::FileOffer(record))) return;
    m_events.Save(m_eventsFile);
}

void CRoster::OnContact(const ContactRecord& record)
{
    m_list.Put(record);
    if (!m_list.Refreshing()) SaveList();
    Redraw();
}

void CRoster::OnContactsEnd()
{
    if (!m_list.EndRefresh()) return;
    SaveList();
    Redraw();
}

void CRoster::OnPresence(const ContactRecord& record)
{
    if (m_list.Update(record)) Redraw();
}

void CRoster::OnRemoved(const AccountRecord& record)
{
    if (!m_list.Remove(record.account)) return;
    SaveList();
    Redraw();
}

void CRoster::OnMessage(const MessageRecord& record)
{
    const CEventQueue::Event event = CEventQueue::Message(record);
    if (m_events.Add(event))
        NP_Log(m_account, event.message.from, event.message.nickname, TRUE, event.message.sentAt, event.message.text);
    Keep(event);
}

void CRoster::OnAddedYou(const ContactRecord& record)
{
    if (m_list.Offer(record)) {
        SaveList();
        Redraw();
    }
    const CEventQueue::Event event = CEventQueue::AddedYou(record);
    m_events.Add(event);
    Keep(event);
}

void CRoster::OnNews(const char* text, size_t length)
{
    const std::string news = TextOf(text, length);
    if (news.empty() || news == m_news) return;
    m_news = news;
    ShowNews();
}

void CRoster::OnChat(const ChatLineRecord& record)
{
    const ContactRecord* entry = m_list.Find(record.from);
    ContactRecord unknown = {};
    unknown.account = record.from;
    const std::string name = CContactView::Name(entry ? *entry : unknown);
    CChatWindow::Receive(m_bar, record.from, name, TextOf(record.text, sizeof record.text));
}

void CRoster::Keep(const CEventQueue::Event& event)
{
    // Only what is on disk may be forgotten by the server.
    if (m_events.Save(m_eventsFile) && event.Id() != 0) Acknowledge(event.Id());
}

void CRoster::Acknowledge(std::uint32_t eventId)
{
    const EventAckRecord ack = {eventId};
    Send(PKT_EVENT_ACK, &ack, sizeof ack);
}

bool CRoster::Send(WORD type, const void* data, int length)
{
    return m_socket && SK_WPacket(m_socket, type, data, length);
}

void CRoster::SendAboutEntry(WORD type, const ContactRecord& entry, const char* doing)
{
    const AccountRecord account = {entry.account};
    if (!Send(type, &account, sizeof account))
        Tell(kTitle, std::string("You need to be connected to the KVX server to ") + doing + ".");
}

void CRoster::SetSocket(UINT_PTR socket)
{
    m_socket = socket;
    m_ping.SetServer(socket);
}

void CRoster::StatusChange(LONG account, bool loggedIn)
{
    if (account > 0 && account != m_account) {
        m_account = account;
        // Another user's saved list is not this one's.
        if (m_list.Owner() != 0 && m_list.Owner() != account) m_list = CContactList();
        m_list.SetOwner(account);
    }
    if (!loggedIn) {
        Offline();
        return;
    }
    const UINT_PTR socket = static_cast<UINT_PTR>(SendMessageA(m_bar, BAR_QUERY_SOCKET, 0, 0));
    if (socket) m_socket = socket;
    SendStatus();
    if (m_listAsked && m_askedOn == m_socket) return;
    if (!Send(PKT_CONTACTS_REQUEST, nullptr, 0)) return;
    m_listAsked = true;
    m_askedOn = m_socket;
    m_transfers.Resume(m_socket);
    m_list.BeginRefresh();
    Redraw();
}

void CRoster::SendStatus()
{
    StatusRecord record = {};
    record.status = static_cast<std::uint16_t>(SendMessageA(m_bar, BAR_QUERY_STATUS, 0, 0));
    if (const GAME_RECORD* game =
            reinterpret_cast<const GAME_RECORD*>(SendMessageA(m_bar, BAR_QUERY_GAME_RECORD, 0, 0))) {
        record.game.addr = game->addr;
        record.game.port = game->port;
        lstrcpynA(record.game.info, game->info, sizeof record.game.info);
    }
    if (record.status == STATUS_AWAY || record.status == STATUS_NA) lstrcpynA(record.away, m_away, sizeof record.away);
    Send(PKT_STATUS, &record, sizeof record);
}

int CRoster::EditAway(int status)
{
    if (!CAwayDialog::Run(m_bar, status, m_away, sizeof m_away)) return 0;
    // A message that could not be kept still goes out now; only the next start misses it.
    m_awayFile.Write(m_away);
    return 10;
}

void CRoster::Offline()
{
    m_transfers.Pause();
    m_list.AllOffline();
    m_listAsked = false;
    m_askedOn = 0;
    Redraw();
}

void CRoster::IpInfo(const void* record)
{
    if (!record) return;
    IpInfoRecord info;
    std::memcpy(&info, record, sizeof info);
    if (info.account > 0) m_account = info.account;
    std::memcpy(m_address, info.address, sizeof m_address);
}

void CRoster::InfoResult(const void* record)
{
    if (!record) return;
    ProfileList list;
    std::memcpy(&list, record, sizeof list);
    if (list.count == 0 || list.count > kMaxProfiles) {
        if (m_mailFor) Tell("Send E-Mail", "The KVX server has no profile for that user.");
        else if (m_infoFor) Tell("Info", "The KVX server has no profile for that user.");
        m_mailFor = m_infoFor = 0;
        return;
    }
    Profile profile = list.entries[0];
    profile.nickname[sizeof profile.nickname - 1] = 0;
    profile.email[sizeof profile.email - 1] = 0;
    m_emails[profile.account] = profile.email;
    if (m_mailFor == profile.account) {
        m_mailFor = 0;
        if (const ContactRecord* entry = m_list.Find(profile.account)) Mail(*entry);
        return;
    }
    m_infoFor = 0;
    const CStatusLook look(profile.status);
    char text[400];
    std::snprintf(text, sizeof text, "Nickname: %s\nKVX#: %ld\nE-mail: %s\nStatus: %s", profile.nickname,
                  static_cast<long>(profile.account), profile.email[0] ? profile.email : "(none given)", look.Text());
    WK_Info((std::string("Info: ") + profile.nickname).c_str(), text, AR_Icon(look.Icon()));
}

void CRoster::Info(const ContactRecord& entry)
{
    m_infoFor = entry.account;
    SendAboutEntry(PKT_INFO_REQUEST, entry, "look up someone's profile");
}

void CRoster::Mail(const ContactRecord& entry)
{
    const std::string name = CContactView::Name(entry);
    const auto known = m_emails.find(entry.account);
    if (known == m_emails.end()) {
        // Ask for the profile first; the answer comes back to InfoResult.
        m_mailFor = entry.account;
        const AccountRecord account = {entry.account};
        if (Send(PKT_INFO_REQUEST, &account, sizeof account)) return;
        m_mailFor = 0;
        Tell("Send E-Mail", "Connect to the KVX server to look up " + name + "'s e-mail address.");
        return;
    }
    if (known->second.empty()) {
        Tell("Send E-Mail", name + " has not given an e-mail address.");
        return;
    }
    ShellExecuteA(m_bar, "open", ("mailto:" + known->second).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CRoster::GameInfo(const ContactRecord& entry, WORD game)
{
    if (entry.status != game || entry.game.addr == 0) {
        Tell("Game Info", CContactView::Name(entry) + " is not on a game server right now.");
        return;
    }
    CGameInfoWindow::Show(m_bar, entry, game);
}

void CRoster::SaveList()
{
    if (m_account > 0) m_list.SetOwner(m_account);
    m_list.Save(m_listFile);
}

void CRoster::Redraw() const
{
    if (m_bar && !IsRectEmpty(&m_area)) InvalidateRect(m_bar, &m_area, FALSE);
}

void CRoster::Tell(const char* title, const std::string& text) const { WK_Info(title, text.c_str(), AR_Icon("On")); }
