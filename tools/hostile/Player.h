// Plays a script on one accepted connection, inside TLS unless the script is plain: blocking
// writes, so what the script sends reaches the socket in the order written, and reads that
// wait for the client.
#ifndef KVX_HOSTILE_PLAYER_H
#define KVX_HOSTILE_PLAYER_H

#include <openssl/ssl.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "Script.h"

namespace kvxhostile {

class Player {
public:
    Player(int socket, unsigned seed, SSL_CTX* tls);
    ~Player(); // closes the socket unless a step already did
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Plays every step; says how it ended ("done", or which line found the peer gone).
    std::string Play(const Script& script);

private:
    bool Run(const Step& step);
    bool Expect(std::uint16_t type);
    bool SendFrame(std::uint16_t type, const std::string& payload);
    bool Write(const std::string& bytes);
    bool WriteUnder(const std::string& bytes); // beneath TLS
    long Read(std::uint8_t* into, std::size_t size);
    void Hold();
    void Close(bool reset);
    std::string Random(std::size_t size);
    std::string Payload(const Step& step);

    int m_socket;
    SSL_CTX* m_tls;
    SSL* m_ssl = nullptr;
    bool m_split = false;
    std::mt19937 m_random;
    std::vector<std::uint8_t> m_received;
};

} // namespace kvxhostile

#endif
