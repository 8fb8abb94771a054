#include "ClusterNode.h"

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "EventPacket.h"
#include "FixedField.h"
#include "Log.h"
#include "wire/Status.h"

namespace kvxserver {

namespace {

// Notices:  <kind> <node> <sequence> [fields]
//   P since record   an account's presence changed here (status 100: it went offline);
//                    since: when it logged in here, in ms since the epoch
//   S, Q since record, E   a full report of the accounts online here: start, one each, end
//   D account type payload   a frame for every session of the account
//   H   hello: this node has (re)connected and asks for the others' reports
//   B   heartbeat;  X   goodbye
constexpr char kHex[] = "0123456789abcdef";

std::string Hex(const void* data, std::size_t length)
{
    std::string text(length * 2, '0');
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < length; ++i) {
        text[2 * i] = kHex[bytes[i] >> 4];
        text[2 * i + 1] = kHex[bytes[i] & 15];
    }
    return text;
}

bool Unhex(const std::string& text, std::vector<std::uint8_t>& out)
{
    if (text.size() % 2 != 0) return false;
    out.resize(text.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const char* high = std::strchr(kHex, text[2 * i]);
        const char* low = std::strchr(kHex, text[2 * i + 1]);
        if (high == nullptr || low == nullptr || *high == '\0' || *low == '\0') return false;
        out[i] = static_cast<std::uint8_t>((high - kHex) << 4 | (low - kHex));
    }
    return true;
}

Presence PresenceIn(const ContactRecord& record)
{
    Presence presence;
    presence.status = record.status;
    presence.game = record.game;
    std::memcpy(presence.away, record.away, sizeof presence.away);
    return presence;
}

} // namespace

ClusterNode::ClusterNode(asio::io_context& loop, const Options& options, PresenceHub& hub, std::string name)
    : hub_(hub), name_(std::move(name)), lease_(std::chrono::seconds(options.nodeLeaseSeconds)),
      bus_(
          loop, options.databasePath, [this](const std::string& notice) { OnNotice(notice); },
          [this] {
              Publish('H');
              ReportAll();
          }),
      beat_(loop)
{
}

void ClusterNode::Start()
{
    stopped_ = false;
    LogLine("cluster: this node is %s", name_.c_str());
    bus_.Start();
    Beat();
}

void ClusterNode::Stop()
{
    if (stopped_) return;
    stopped_ = true;
    beat_.cancel();
    Publish('X');
    bus_.Stop();
}

void ClusterNode::Publish(char kind, const std::string& body)
{
    std::string notice(1, kind);
    notice += ' ';
    notice += name_;
    notice += ' ';
    notice += std::to_string(++sequence_);
    if (!body.empty()) notice += ' ' + body;
    bus_.Publish(std::move(notice));
}

std::string ClusterNode::PresenceBody(const ContactRecord& record) const
{
    return std::to_string(hub_.SinceOf(record.account)) + ' ' + Hex(&record, sizeof record);
}

void ClusterNode::PublishPresence(const ContactRecord& record) { Publish('P', PresenceBody(record)); }

void ClusterNode::Forward(std::int32_t account, std::uint16_t type, const void* payload, std::size_t length)
{
    Publish('D', std::to_string(account) + ' ' + std::to_string(type) + ' ' + Hex(payload, length));
}

void ClusterNode::ReportAll()
{
    Publish('S');
    for (std::int32_t account : hub_.LocalAccounts()) {
        const std::string* nickname = hub_.NicknameOf(account);
        const ContactRecord record = hub_.RecordOf(account, nickname != nullptr ? *nickname : std::string());
        Publish('Q', PresenceBody(record));
    }
    Publish('E');
}

void ClusterNode::OnNotice(const std::string& notice)
{
    std::istringstream fields(notice);
    std::string kind, node, sequence;
    fields >> kind >> node >> sequence;
    if (kind.size() != 1 || node.empty() || node == name_) return;
    if (kind[0] == 'X') {
        Lose(node, UINT64_MAX, "said goodbye");
        peers_.erase(node);
        return;
    }
    Peer& peer = peers_[node];
    peer.heard = Clock::now();
    std::string field;
    std::vector<std::uint8_t> bytes;
    switch (kind[0]) {
    case 'P':
    case 'Q': {
        ContactRecord record{};
        std::uint64_t since = 0;
        if (fields >> since >> field && Unhex(field, bytes) && bytes.size() == sizeof record) {
            std::memcpy(&record, bytes.data(), sizeof record);
            OnPresence(node, record, since, kind[0] == 'P');
        }
        break;
    }
    case 'D': {
        std::int32_t account = 0;
        unsigned type = 0;
        if (fields >> account >> type >> field && Unhex(field, bytes)) {
            hub_.Deliver(account, static_cast<std::uint16_t>(type), bytes.data(), bytes.size());
        }
        break;
    }
    case 'S': peer.reportStart = ++mark_; break;
    case 'E':
        if (peer.reportStart != 0) Lose(node, peer.reportStart, "no longer holds them");
        peer.reportStart = 0;
        break;
    case 'H':
        LogLine("cluster: node %s connected", node.c_str());
        ReportAll();
        break;
    default: break;
    }
}

void ClusterNode::OnPresence(const std::string& node, const ContactRecord& record, std::uint64_t since, bool live)
{
    const std::int32_t account = record.account;
    const std::string nickname = FieldText(record.nickname, sizeof record.nickname);
    if (record.status < STATUS_ONLINE) {
        if (hub_.DropRemote(account, node) && !hub_.IsLocal(account)) Offline(account, nickname);
        return;
    }
    if (hub_.IsLocal(account)) {
        // A report only repeats what the node held; a live change means a login there. The
        // later login wins (the node name breaks a tie): when it is ours, the other node
        // ends its session as it hears of ours.
        const std::uint64_t ours = hub_.SinceOf(account);
        if (!live || ours > since || (ours == since && name_ > node)) return;
        const std::vector<ContactSink*> sessions = hub_.TakeSessions(account);
        LogLine("cluster: %d logged in on node %s, its %zu session(s) here end", account, node.c_str(),
                sessions.size());
        for (ContactSink* session : sessions) session->End("logged in on another node");
    }
    if (!hub_.SetRemote(account, node, nickname, PresenceIn(record), ++mark_)) return;
    const EventPacket event(EVENT_PRESENCE, account, &record, sizeof record);
    hub_.DeliverToWatchers(account, PKT_NEW_EVENT, event.data(), event.size());
}

void ClusterNode::Offline(std::int32_t account, const std::string& nickname)
{
    const ContactRecord record = hub_.RecordOf(account, nickname);
    const EventPacket event(EVENT_PRESENCE, account, &record, sizeof record);
    hub_.DeliverToWatchers(account, PKT_NEW_EVENT, event.data(), event.size());
}

void ClusterNode::Lose(const std::string& node, std::uint64_t before, const char* why)
{
    const auto dropped = hub_.DropNode(node, before);
    if (!dropped.empty()) LogLine("cluster: node %s %s: %zu account(s) offline", node.c_str(), why, dropped.size());
    for (const auto& [account, nickname] : dropped) Offline(account, nickname);
}

void ClusterNode::Beat()
{
    if (stopped_) return;
    Publish('B');
    const Clock::time_point now = Clock::now();
    for (auto peer = peers_.begin(); peer != peers_.end();) {
        if (now - peer->second.heard > lease_) {
            Lose(peer->first, UINT64_MAX, "is silent");
            peer = peers_.erase(peer);
        } else {
            ++peer;
        }
    }
    beat_.expires_after(lease_ / 4);
    beat_.async_wait([this](const asio::error_code& cancelled) {
        if (!cancelled) Beat();
    });
}

} // namespace kvxserver
