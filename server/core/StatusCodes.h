// The client's status codes the server itself needs to name. Every code from 300 means
// logged in and from 600 playing a game; the server passes codes on without judging them,
// except that anything below 300 is shown to others as offline.
#ifndef KVX_SERVER_STATUSCODES_H
#define KVX_SERVER_STATUSCODES_H

#include <cstdint>

namespace kvxserver {

constexpr std::uint16_t kStatusOffline = 100;
constexpr std::uint16_t kStatusOnline = 300;
constexpr std::uint16_t kStatusAway = 400;
constexpr std::uint16_t kStatusQuake2 = 600;

} // namespace kvxserver

#endif
