#include "PresenceHub.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "FixedField.h"

namespace kvxserver {

bool PresenceHub::Join(std::int32_t account, const std::string& nickname, const std::vector<std::int32_t>& contacts,
                       ContactSink& sink)
{
    auto [entry, first] = online_.try_emplace(account);
    entry->second.sinks.push_back(&sink);
    if (!first) return false;
    remote_.erase(account);
    entry->second.since = static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count());
    entry->second.nickname = nickname;
    for (std::int32_t contact : contacts) Watch(account, contact);
    return true;
}

bool PresenceHub::Leave(std::int32_t account, ContactSink& sink)
{
    auto entry = online_.find(account);
    if (entry == online_.end()) return false;
    std::vector<ContactSink*>& sinks = entry->second.sinks;
    const auto found = std::find(sinks.begin(), sinks.end(), &sink);
    if (found == sinks.end()) return false;
    sinks.erase(found);
    if (!sinks.empty()) return false;
    Forget(entry);
    return true;
}

void PresenceHub::Forget(std::unordered_map<std::int32_t, Online>::iterator entry)
{
    for (std::int32_t contact : entry->second.watching) {
        auto watchers = watchers_.find(contact);
        if (watchers == watchers_.end()) continue;
        watchers->second.erase(entry->first);
        if (watchers->second.empty()) watchers_.erase(watchers);
    }
    online_.erase(entry);
}

std::uint64_t PresenceHub::SinceOf(std::int32_t account) const
{
    const auto entry = online_.find(account);
    return entry == online_.end() ? 0 : entry->second.since;
}

bool PresenceHub::IsOnline(std::int32_t account) const
{
    return online_.count(account) != 0 || remote_.count(account) != 0;
}

const Presence* PresenceHub::PresenceOf(std::int32_t account) const
{
    const auto entry = online_.find(account);
    if (entry != online_.end()) return &entry->second.presence;
    const auto remote = remote_.find(account);
    return remote == remote_.end() ? nullptr : &remote->second.presence;
}

const std::string* PresenceHub::NicknameOf(std::int32_t account) const
{
    const auto entry = online_.find(account);
    if (entry != online_.end()) return &entry->second.nickname;
    const auto remote = remote_.find(account);
    return remote == remote_.end() ? nullptr : &remote->second.nickname;
}

ContactRecord PresenceHub::RecordOf(std::int32_t account, const std::string& nickname) const
{
    ContactRecord record{};
    record.account = account;
    SetField(record.nickname, sizeof record.nickname, nickname);
    record.status = STATUS_OFFLINE;
    if (const Presence* presence = PresenceOf(account)) {
        record.status = presence->status;
        record.game = presence->game;
        std::memcpy(record.away, presence->away, sizeof record.away);
    }
    return record;
}

bool PresenceHub::SetRemote(std::int32_t account, const std::string& node, const std::string& nickname,
                            const Presence& presence, std::uint64_t mark)
{
    auto [entry, added] = remote_.try_emplace(account);
    Remote& remote = entry->second;
    const Presence& was = remote.presence;
    const bool changed = added || remote.nickname != nickname || was.status != presence.status ||
                         std::memcmp(&was.game, &presence.game, sizeof was.game) != 0 ||
                         std::memcmp(was.away, presence.away, sizeof was.away) != 0;
    remote.node = node;
    remote.nickname = nickname;
    remote.presence = presence;
    remote.mark = mark;
    return changed;
}

bool PresenceHub::DropRemote(std::int32_t account, const std::string& node)
{
    const auto remote = remote_.find(account);
    if (remote == remote_.end() || remote->second.node != node) return false;
    remote_.erase(remote);
    return true;
}

std::vector<std::pair<std::int32_t, std::string>> PresenceHub::DropNode(const std::string& node, std::uint64_t before)
{
    std::vector<std::pair<std::int32_t, std::string>> dropped;
    for (auto remote = remote_.begin(); remote != remote_.end();) {
        if (remote->second.node == node && remote->second.mark < before) {
            dropped.emplace_back(remote->first, std::move(remote->second.nickname));
            remote = remote_.erase(remote);
        } else {
            ++remote;
        }
    }
    return dropped;
}

std::vector<ContactSink*> PresenceHub::TakeSessions(std::int32_t account)
{
    const auto entry = online_.find(account);
    if (entry == online_.end()) return {};
    std::vector<ContactSink*> sinks = std::move(entry->second.sinks);
    Forget(entry);
    return sinks;
}

std::vector<std::int32_t> PresenceHub::LocalAccounts() const
{
    std::vector<std::int32_t> accounts;
    accounts.reserve(online_.size());
    for (const auto& entry : online_) accounts.push_back(entry.first);
    return accounts;
}

void PresenceHub::SetPresence(std::int32_t account, const Presence& presence)
{
    const auto entry = online_.find(account);
    if (entry != online_.end()) entry->second.presence = presence;
}

void PresenceHub::Watch(std::int32_t owner, std::int32_t contact)
{
    const auto entry = online_.find(owner);
    if (entry == online_.end()) return;
    entry->second.watching.insert(contact);
    watchers_[contact].insert(owner);
}

void PresenceHub::Unwatch(std::int32_t owner, std::int32_t contact)
{
    const auto entry = online_.find(owner);
    if (entry == online_.end()) return;
    entry->second.watching.erase(contact);
    auto watchers = watchers_.find(contact);
    if (watchers == watchers_.end()) return;
    watchers->second.erase(owner);
    if (watchers->second.empty()) watchers_.erase(watchers);
}

bool PresenceHub::Deliver(std::int32_t account, std::uint16_t type, const void* payload, std::size_t length)
{
    const auto entry = online_.find(account);
    if (entry == online_.end()) return false;
    for (ContactSink* sink : entry->second.sinks) sink->Deliver(type, payload, length);
    return true;
}

std::size_t PresenceHub::DeliverToWatchers(std::int32_t account, std::uint16_t type, const void* payload,
                                           std::size_t length)
{
    const auto watchers = watchers_.find(account);
    if (watchers == watchers_.end()) return 0;
    std::size_t sessions = 0;
    for (std::int32_t watcher : watchers->second) {
        const auto entry = online_.find(watcher);
        if (entry == online_.end()) continue;
        for (ContactSink* sink : entry->second.sinks) sink->Deliver(type, payload, length);
        sessions += entry->second.sinks.size();
    }
    return sessions;
}

} // namespace kvxserver
