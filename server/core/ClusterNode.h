// This node's part in a cluster of kvx-server nodes sharing one PostgreSQL database: it tells
// the others, over the bus, of the accounts online here (every change of presence, and the
// whole set whenever a node connects) and of frames for their accounts, and keeps the
// presence hub's view of the accounts online on the other nodes. An account logging in here
// that was online on another node ends its session there. Every node beats a few times per
// lease; a node not heard from for a whole lease is taken for lost, and its accounts go
// offline to their watchers here. Event loop thread only.
#ifndef KVX_SERVER_CLUSTERNODE_H
#define KVX_SERVER_CLUSTERNODE_H

#include <asio.hpp>

#include <chrono>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "ClusterBus.h"
#include "ClusterLink.h"
#include "Options.h"
#include "PresenceHub.h"

namespace kvxserver {

class ClusterNode : public ClusterLink {
public:
    // name: how the others and the log know this node, without spaces.
    ClusterNode(asio::io_context& loop, const Options& options, PresenceHub& hub, std::string name);

    void Start();
    // Says goodbye, so the others take this node's accounts offline at once.
    void Stop();

    void PublishPresence(const ContactRecord& record) override;
    void Forward(std::int32_t account, std::uint16_t type, const void* payload, std::size_t length) override;

private:
    using Clock = std::chrono::steady_clock;

    struct Peer {
        Clock::time_point heard;
        std::uint64_t reportStart = 0; // the mark when its current full report began
    };

    void Publish(char kind, const std::string& body = std::string());
    void OnNotice(const std::string& notice);
    std::string PresenceBody(const ContactRecord& record) const;
    void OnPresence(const std::string& node, const ContactRecord& record, std::uint64_t since, bool live);
    void ReportAll();
    void Beat();
    void Offline(std::int32_t account, const std::string& nickname);
    void Lose(const std::string& node, std::uint64_t before, const char* why);

    PresenceHub& hub_;
    std::string name_;
    Clock::duration lease_;
    ClusterBus bus_;
    asio::steady_timer beat_;
    std::unordered_map<std::string, Peer> peers_;
    std::uint64_t sequence_ = 0; // makes every notice unique: the database drops repeats
    std::uint64_t mark_ = 0;
    bool stopped_ = true;
};

} // namespace kvxserver

#endif
