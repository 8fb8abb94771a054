#include "DemoBots.h"

#include <sodium.h>

#include <cstring>
#include <ctime>

#include "FixedField.h"
#include "wire/Contacts.h"
#include "wire/Status.h"

namespace kvxserver {

namespace {

struct BotIdentity {
    const char* nickname;
    const char* email;
};

const BotIdentity kBots[] = {
    {"Rocket Rita", "rita@demo.kvx.invalid"},
    {"Lag Monster", "lag@demo.kvx.invalid"},
    {"Camper Carl", "carl@demo.kvx.invalid"},
};

const char* const kDemoNickname = "Demo";
const char* const kDemoEmail = "demo@demo.kvx.invalid";
const char* const kGreeting = "Hi, I'm Rocket Rita, one of the demo contacts on this server. We come online, "
                              "go away, play Quake II and log off every few seconds: watch your list.";

enum class Move { Arrive, Away, Play, Back, Depart, Rest };
const Move kRound[] = {Move::Arrive, Move::Away, Move::Play, Move::Back, Move::Depart, Move::Rest};
constexpr std::size_t kRoundSteps = sizeof kRound / sizeof kRound[0];

// Nobody logs in as a demo contact: its password is random and never shown.
std::string RandomPassword()
{
    char text[kMaxPassword + 1] = {};
    for (std::size_t i = 0; i < kMaxPassword; ++i) text[i] = static_cast<char>('a' + randombytes_uniform(26));
    return text;
}

StatusRecord StatusOf(Move move)
{
    StatusRecord status{};
    status.status = STATUS_ONLINE;
    if (move == Move::Away) {
        status.status = STATUS_AWAY;
        SetField(status.away, sizeof status.away, "Getting a coffee, back soon.");
    } else if (move == Move::Play) {
        status.status = STATUS_QUAKE2;
        const std::uint8_t loopback[4] = {127, 0, 0, 1};
        std::memcpy(&status.game.addr, loopback, sizeof loopback);
        status.game.port = 27910;
        SetField(status.game.info, sizeof status.game.info, "q2dm1 The Edge, 5 of 8 players");
    }
    return status;
}

} // namespace

DemoBots::DemoBots(asio::io_context& loop, AccountStore& accounts, ContactStore& contacts, ContactService& service,
                   const PasswordHash& hash)
    : timer_(loop), accounts_(accounts), contacts_(contacts), service_(service), hash_(hash)
{
}

DemoBots::~DemoBots() { Stop(); }

std::int32_t DemoBots::FindOrCreate(const char* nickname, const char* email, const std::string& password, bool& created)
{
    created = false;
    const std::vector<AccountStore::Account> found = accounts_.FindByEmail(email, 1);
    if (!found.empty()) return found.front().number;
    const std::string hashed = hash_.Hash(password);
    if (hashed.empty()) return 0;
    const std::int32_t number =
        accounts_.Create(nickname, email, hashed, static_cast<std::int64_t>(std::time(nullptr)));
    created = number != 0;
    return number;
}

bool DemoBots::Prepare(std::string& error)
{
    bool demoCreated = false;
    account_ = FindOrCreate(kDemoNickname, kDemoEmail, kPassword, demoCreated);
    if (account_ == 0) {
        error = "demo: the demo account could not be stored";
        return false;
    }
    bots_.clear();
    for (std::size_t i = 0; i < sizeof kBots / sizeof kBots[0]; ++i) {
        bool created = false;
        auto bot = std::make_unique<Bot>();
        bot->account = FindOrCreate(kBots[i].nickname, kBots[i].email, RandomPassword(), created);
        if (bot->account == 0) {
            error = std::string("demo: the demo contact ") + kBots[i].nickname + " could not be stored";
            return false;
        }
        // Each at its own point of the round, so something changes at every step.
        bot->step = (2 * i) % kRoundSteps;
        bots_.push_back(std::move(bot));
    }
    // Only for a new demo account: a user who took a demo contact off the list keeps it off.
    if (demoCreated) {
        for (const auto& bot : bots_) contacts_.Add(account_, bot->account);
        contacts_.StoreEvent(account_, EVENT_MESSAGE, bots_.front()->account, std::time(nullptr), kGreeting);
    }
    return true;
}

void DemoBots::Start()
{
    stopped_ = false;
    for (const auto& bot : bots_) Step(*bot);
    Arm();
}

void DemoBots::Arm()
{
    timer_.expires_after(kStepTime);
    timer_.async_wait([this](const asio::error_code& error) {
        if (error || stopped_) return;
        for (const auto& bot : bots_) Step(*bot);
        Arm();
    });
}

void DemoBots::Step(Bot& bot)
{
    const Move move = kRound[bot.step];
    bot.step = (bot.step + 1) % kRoundSteps;
    if (move == Move::Rest) return;
    if (move == Move::Depart) {
        if (bot.online) service_.Leave(bot.account, bot);
        bot.online = false;
        return;
    }
    if (!bot.online) service_.Join(bot.account, bot);
    bot.online = true;
    const StatusRecord status = StatusOf(move);
    service_.OnPacket(bot.account, bot, PKT_STATUS, reinterpret_cast<const std::uint8_t*>(&status), sizeof status);
}

void DemoBots::Stop()
{
    stopped_ = true;
    timer_.cancel();
    for (const auto& bot : bots_) {
        if (bot->online) service_.Leave(bot->account, *bot);
        bot->online = false;
    }
}

} // namespace kvxserver
