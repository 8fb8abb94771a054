#include "ClientProtocol.h"

#include <algorithm>
#include <cstring>

#include "Log.h"
#include "wire/Frame.h"

namespace kvxserver {

ClientProtocol::ClientProtocol(AccountService& accounts, ContactService& contacts, const Options& options,
                               ProtocolPeer& peer, std::string address, std::array<std::uint8_t, 4> ipv4,
                               std::string tag)
    : accounts_(accounts), contacts_(contacts), options_(options), peer_(peer), address_(std::move(address)),
      ipv4_(ipv4), tag_(std::move(tag))
{
}

ClientProtocol::~ClientProtocol() { OnClosed(); }

void ClientProtocol::OnClosed()
{
    if (!joined_) return;
    joined_ = false;
    contacts_.Leave(account_, *this);
}

void ClientProtocol::Deliver(std::uint16_t type, const void* payload, std::size_t length)
{
    peer_.Send(type, payload, length);
}

void ClientProtocol::End(const char* reason)
{
    joined_ = false;
    peer_.Finish(reason);
}

bool ClientProtocol::OnFrame(std::uint16_t type, const std::uint8_t* payload, std::size_t length, std::string& reason)
{
    switch (type) {
    case PKT_KEEP_ALIVE: ignoredInARow_ = 0; return true;
    case PKT_VERSION:
        if (state_ != State::AwaitVersion) return Ignore(type, reason);
        return OnVersion(payload, length, reason);
    case PKT_LOGIN:
        if (state_ == State::AwaitVersion) {
            reason = "login before version";
            return false;
        }
        if (state_ == State::Online) return Ignore(type, reason);
        return OnLogin(payload, length, reason);
    case PKT_SIGNUP_REQUEST:
        if (state_ == State::AwaitVersion) {
            reason = "sign-up before version";
            return false;
        }
        if (state_ == State::Online) return Ignore(type, reason);
        return OnSignup(payload, length, reason);
    case PKT_LIBRARY_REQUEST:
        if (state_ != State::Online) return Ignore(type, reason);
        ignoredInARow_ = 0;
        SendIpInfo();
        if (!options_.gameServers.empty()) SendGameServers();
        return true;
    default:
        if (state_ != State::Online || !ContactService::Handles(type)) return Ignore(type, reason);
        if (!contacts_.OnPacket(account_, *this, type, payload, length)) return Ignore(type, reason);
        ignoredInARow_ = 0;
        return true;
    }
}

bool ClientProtocol::Ignore(std::uint16_t type, std::string& reason)
{
    if (++ignoredInARow_ <= kMaxIgnoredInARow) return true;
    reason = "more than " + std::to_string(kMaxIgnoredInARow) + " pointless packets in a row (last type " +
             std::to_string(type) + ")";
    return false;
}

bool ClientProtocol::OnVersion(const std::uint8_t* payload, std::size_t length, std::string& reason)
{
    if (length < 4) {
        reason = "short version packet (" + std::to_string(length) + " bytes)";
        return false;
    }
    ignoredInARow_ = 0;
    const std::uint32_t build = kvxwire::ReadU32(payload);
    if (build < options_.minBuild) {
        LogLine("%s: build %u refused, minimum %u", tag_.c_str(), build, options_.minBuild);
        peer_.Send(PKT_VERSION_OLD, nullptr, 0);
        peer_.Finish("client build too old");
        return true;
    }
    LogLine("%s: build %u accepted", tag_.c_str(), build);
    state_ = State::AwaitLogin;
    peer_.Send(PKT_VERSION_OK, nullptr, 0);
    return true;
}

bool ClientProtocol::OnLogin(const std::uint8_t* payload, std::size_t length, std::string& reason)
{
    LoginRecord record;
    if (length < sizeof record) {
        reason = "short login packet (" + std::to_string(length) + " bytes)";
        return false;
    }
    ignoredInARow_ = 0;
    std::memcpy(&record, payload, sizeof record);
    const std::string password(record.password, strnlen(record.password, sizeof record.password));
    const std::int32_t account = record.account;

    busy_ = true;
    std::weak_ptr<char> alive = alive_;
    accounts_.Login(address_, account, password, [this, alive, account](AccountService::LoginResult result) {
        if (alive.expired()) return;
        if (result != AccountService::LoginResult::Accepted) {
            const bool unavailable = result == AccountService::LoginResult::Unavailable;
            LogLine("%s: login %d %s", tag_.c_str(), account,
                    result == AccountService::LoginResult::Limited ? "refused, too many failures"
                    : unavailable                                  ? "failed, no database"
                                                                   : "refused");
            if (unavailable) {
                SendText(PKT_SERVER_MESSAGE, "The server cannot reach its database. Please try "
                                             "again in a moment.");
            }
            peer_.Send(PKT_LOGIN_FAILED, nullptr, 0);
            Done();
            return;
        }
        LogLine("%s: login %d accepted", tag_.c_str(), account);
        state_ = State::Online;
        account_ = account;
        peer_.Send(PKT_LOGIN_OK, nullptr, 0);
        if (!options_.motd.empty()) SendText(PKT_SERVER_MESSAGE, options_.motd);
        joined_ = true;
        contacts_.Join(account, *this);
        Done();
    });
    return true;
}

bool ClientProtocol::OnSignup(const std::uint8_t* payload, std::size_t length, std::string& reason)
{
    SignupRequestRecord record;
    if (length < sizeof record) {
        reason = "short sign-up packet (" + std::to_string(length) + " bytes)";
        return false;
    }
    ignoredInARow_ = 0;
    std::memcpy(&record, payload, sizeof record);
    SignupForm form;
    std::string error;
    if (!form.Read(record, error)) {
        LogLine("%s: sign-up refused: %s", tag_.c_str(), error.c_str());
        SendText(PKT_SIGNUP_ERROR, error);
        return true;
    }

    busy_ = true;
    std::weak_ptr<char> alive = alive_;
    accounts_.Signup(address_, form, [this, alive](const AccountService::SignupResult& result) {
        if (alive.expired()) return;
        if (result.account == 0) {
            LogLine("%s: sign-up refused: %s", tag_.c_str(), result.error.c_str());
            SendText(PKT_SIGNUP_ERROR, result.error);
        } else {
            LogLine("%s: account %d created", tag_.c_str(), result.account);
            SignupOkRecord ok{result.account};
            peer_.Send(PKT_SIGNUP_OK, &ok, sizeof ok);
        }
        Done();
    });
    return true;
}

void ClientProtocol::SendText(std::uint16_t type, const std::string& text)
{
    char payload[kvxwire::kMaxPayload];
    const std::size_t n = std::min(text.size(), sizeof payload - 1);
    std::memcpy(payload, text.data(), n);
    payload[n] = '\0';
    peer_.Send(type, payload, n + 1);
}

void ClientProtocol::SendIpInfo()
{
    IpInfoRecord info{};
    info.account = account_;
    std::memcpy(info.address, ipv4_.data(), sizeof info.address);
    peer_.Send(PKT_IP_INFO, &info, sizeof info);
}

void ClientProtocol::SendGameServers()
{
    std::uint8_t payload[sizeof(GameServersHead) + kMaxGameServers * sizeof(GameServerRecord)];
    GameServersHead head{};
    head.game = kGameQuake2;
    head.count = static_cast<std::uint16_t>(std::min(options_.gameServers.size(), kMaxGameServers));
    std::memcpy(payload, &head, sizeof head);
    for (std::size_t i = 0; i < head.count; ++i) {
        GameServerRecord record{};
        std::memcpy(record.address, options_.gameServers[i].address.data(), sizeof record.address);
        record.port = options_.gameServers[i].port;
        std::memcpy(payload + sizeof head + i * sizeof record, &record, sizeof record);
    }
    peer_.Send(PKT_GAME_SERVERS, payload, sizeof head + head.count * sizeof(GameServerRecord));
}

void ClientProtocol::Done()
{
    busy_ = false;
    peer_.Resume();
}

} // namespace kvxserver
