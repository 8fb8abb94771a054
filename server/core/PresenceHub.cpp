#include "PresenceHub.h"

#include <algorithm>

namespace kvxserver {

bool PresenceHub::Join(std::int32_t account, const std::string& nickname, const std::vector<std::int32_t>& contacts,
                       ContactSink& sink)
{
    auto [entry, first] = online_.try_emplace(account);
    entry->second.sinks.push_back(&sink);
    if (!first) return false;
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
    for (std::int32_t contact : entry->second.watching) {
        auto watchers = watchers_.find(contact);
        if (watchers == watchers_.end()) continue;
        watchers->second.erase(account);
        if (watchers->second.empty()) watchers_.erase(watchers);
    }
    online_.erase(entry);
    return true;
}

bool PresenceHub::IsOnline(std::int32_t account) const { return online_.count(account) != 0; }

const Presence* PresenceHub::PresenceOf(std::int32_t account) const
{
    const auto entry = online_.find(account);
    return entry == online_.end() ? nullptr : &entry->second.presence;
}

const std::string* PresenceHub::NicknameOf(std::int32_t account) const
{
    const auto entry = online_.find(account);
    return entry == online_.end() ? nullptr : &entry->second.nickname;
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
