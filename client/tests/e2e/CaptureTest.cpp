// What crosses the network: a relay in front of the real server records every byte both
// ways while a user signs up, the client logs in and a message arrives. None of the secrets
// may be among them.
#include <gtest/gtest.h>

#include <winsock2.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "support/BarQueries.h"
#include "support/ClientProcess.h"
#include "support/ScratchFolder.h"
#include "support/ServerProcess.h"
#include "support/WireClient.h"
#include "wire/Contacts.h"

namespace {

// Accepts on `from`:2600 and pumps each connection to `to`:2600 and back, keeping a copy.
class RecordingRelay {
public:
    RecordingRelay(const std::string& from, const std::string& to) : m_to(to)
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {AF_INET, htons(2600), {}, {}};
        address.sin_addr.s_addr = inet_addr(from.c_str());
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(m_listener, 8);
        m_thread = std::thread([this] { Run(); });
    }
    ~RecordingRelay()
    {
        m_stop = true;
        closesocket(m_listener);
        m_thread.join();
        WSACleanup();
    }
    std::string Seen()
    {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_seen;
    }

private:
    void Run()
    {
        std::vector<std::thread> pumps;
        for (SOCKET inbound; !m_stop && (inbound = accept(m_listener, nullptr, nullptr)) != INVALID_SOCKET;) {
            SOCKET upstream = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
            sockaddr_in address = {AF_INET, htons(2600), {}, {}};
            address.sin_addr.s_addr = inet_addr(m_to.c_str());
            connect(upstream, reinterpret_cast<sockaddr*>(&address), sizeof address);
            pumps.emplace_back([this, inbound, upstream] { Pump(inbound, upstream); });
        }
        for (std::thread& pump : pumps) pump.join();
    }
    void Pump(SOCKET a, SOCKET b)
    {
        char chunk[16384];
        for (bool open = true; open && !m_stop;) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(a, &readable);
            FD_SET(b, &readable);
            timeval wait = {0, 100000};
            if (select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
            for (const auto& [in, out] : {std::pair{a, b}, std::pair{b, a}}) {
                if (!FD_ISSET(in, &readable)) continue;
                const int n = recv(in, chunk, sizeof chunk, 0);
                open = n > 0 && send(out, chunk, n, 0) == n;
                if (!open) break;
                std::lock_guard<std::mutex> hold(m_lock);
                m_seen.append(chunk, static_cast<size_t>(n));
            }
        }
        closesocket(a);
        closesocket(b);
    }

    std::string m_to;
    SOCKET m_listener = INVALID_SOCKET;
    std::atomic<bool> m_stop{false};
    std::mutex m_lock;
    std::string m_seen;
    std::thread m_thread;
};

TEST(CaptureTest, NoPasswordMessageOrEmailCrossesTheNetworkReadably)
{
    ScratchFolder folder("capture");
    ServerProcess server(folder.Path(), "127.0.0.150");
    ASSERT_TRUE(server.Start()) << server.Log();
    const std::string relayAddress = "127.0.0.151";
    RecordingRelay relay(relayAddress, server.Address());
    RememberFingerprint(relayAddress, server.Fingerprint());

    const std::string password = "Pw4captu", email = "mail-c4pture@kvx.example", text = "text-c4pture";
    std::string error;
    const long alpha = SignUpOverWire(relayAddress, "alpha", email, password, &error);
    const long bravo = SignUpOverWire(relayAddress, "bravo", "bravo@kvx.example", "pass1", &error);
    ASSERT_TRUE(alpha > 0 && bravo > 0) << error;
    folder.Write("KVX.ini", "[Server]\r\n1=" + relayAddress + "\r\nFingerprint=" + server.Fingerprint() +
                                "\r\n[User]\r\nID=" + std::to_string(alpha) + "\r\nPW=" + password + "\r\n");
    CopyArt(folder.Path());
    ClientProcess client;
    ASSERT_TRUE(client.Start(folder.Path()));
    HWND bar = client.WaitForBar();
    ASSERT_TRUE(StatusBecomes(bar, 300, 15000)) << server.Log();
    {
        WireHand sender(relayAddress, bravo, "pass1");
        MessageSendRecord message = {};
        message.to = static_cast<int32_t>(alpha);
        lstrcpynA(message.text, text.c_str(), sizeof message.text);
        ASSERT_TRUE(sender.Send(PKT_MESSAGE_SEND, &message, sizeof message));
        std::string sent;
        EXPECT_TRUE(sender.WaitForEvent(EVENT_MESSAGE_SENT, &sent)) << "delivered to the client";
    }
    client.Kill();

    const std::string seen = relay.Seen();
    EXPECT_GT(seen.size(), 4000u) << "the sign-ups, the login and the message all crossed";
    for (const std::string& secret : {password, email, text, std::string("alpha")})
        EXPECT_EQ(std::string::npos, seen.find(secret)) << secret;
}

} // namespace
