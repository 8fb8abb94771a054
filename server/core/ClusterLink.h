// What the contact service tells the other nodes of a cluster: the presence of the accounts
// online here, and frames for accounts online on another node.
#ifndef KVX_SERVER_CLUSTERLINK_H
#define KVX_SERVER_CLUSTERLINK_H

#include <cstddef>
#include <cstdint>

#include "wire/Contacts.h"

namespace kvxserver {

class ClusterLink {
public:
    virtual ~ClusterLink() = default;

    // The account's presence as its watchers see it now (status 100: it has gone offline).
    virtual void PublishPresence(const ContactRecord& record) = 0;
    // One frame for every session of an account that is online on another node.
    virtual void Forward(std::int32_t account, std::uint16_t type, const void* payload, std::size_t length) = 0;
};

} // namespace kvxserver

#endif
