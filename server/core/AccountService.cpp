#include "AccountService.h"

#include <ctime>
#include <memory>

namespace kvxserver {

namespace {

RateLimiter::Clock::time_point Now() { return RateLimiter::Clock::now(); }

} // namespace

AccountService::AccountService(AccountStore& store, const PasswordHash& hash, HashWorker& worker,
                               const Options& options)
    : store_(store), hash_(hash), worker_(worker),
      failuresByAddress_(options.loginFailuresPerAddress, std::chrono::seconds(Options::kLoginFailureWindowSeconds)),
      failuresByAccount_(options.loginFailuresPerAccount, std::chrono::seconds(Options::kLoginFailureWindowSeconds)),
      signupsByAddress_(options.signupsPerAddress, std::chrono::seconds(Options::kSignupWindowSeconds))
{
}

void AccountService::Answer(std::function<void()> answer)
{
    worker_.Run([] {}, std::move(answer));
}

void AccountService::CountFailure(const std::string& address, std::int32_t account, bool accountExists)
{
    const auto now = Now();
    failuresByAddress_.Record(address, now);
    // Only real accounts get a counter, so guessing numbers cannot grow the table.
    if (accountExists) failuresByAccount_.Record(std::to_string(account), now);
}

void AccountService::Login(const std::string& address, std::int32_t account, const std::string& password,
                           std::function<void(LoginResult)> done)
{
    const auto now = Now();
    if (!failuresByAddress_.Allows(address, now) || !failuresByAccount_.Allows(std::to_string(account), now)) {
        Answer([done = std::move(done)] { done(LoginResult::Limited); });
        return;
    }
    AccountStore::Account found;
    if (account < AccountStore::kFirstAccount || !store_.Find(account, found)) {
        if (account >= AccountStore::kFirstAccount && !store_.Reachable()) {
            Answer([done = std::move(done)] { done(LoginResult::Unavailable); });
            return;
        }
        CountFailure(address, account, false);
        Answer([done = std::move(done)] { done(LoginResult::Refused); });
        return;
    }
    auto verified = std::make_shared<bool>(false);
    worker_.Run(
        [this, verified, hashText = found.passwordHash, password] { *verified = hash_.Verify(hashText, password); },
        [this, verified, address, account, done = std::move(done)] {
            if (!*verified) CountFailure(address, account, true);
            done(*verified ? LoginResult::Accepted : LoginResult::Refused);
        });
}

void AccountService::Signup(const std::string& address, const SignupForm& form, std::function<void(SignupResult)> done)
{
    const auto now = Now();
    if (!signupsByAddress_.Allows(address, now)) {
        Answer([done = std::move(done)] {
            done({0, "Too many new accounts from your address. Please try again later."});
        });
        return;
    }
    // Counted now rather than on success, so parallel requests cannot slip past the limit.
    signupsByAddress_.Record(address, now);
    auto hashText = std::make_shared<std::string>();
    worker_.Run([this, hashText, password = form.password] { *hashText = hash_.Hash(password); },
                [this, hashText, form, done = std::move(done)] {
                    std::int32_t number = 0;
                    if (!hashText->empty()) {
                        number = store_.Create(form.nickname, form.email, *hashText,
                                               static_cast<std::int64_t>(std::time(nullptr)));
                    }
                    if (number == 0) {
                        done({0, "The server could not create the account. Please try again "
                                 "later."});
                        return;
                    }
                    done({number, std::string()});
                });
}

} // namespace kvxserver
