// Logins and sign-ups as the protocol asks for them: rate limits first, then the store and
// the (slow) password hash. Answers always arrive later on the event loop, never inside the
// call, so a caller may be gone by then and must guard its callback.
#ifndef KVX_SERVER_ACCOUNTSERVICE_H
#define KVX_SERVER_ACCOUNTSERVICE_H

#include <cstdint>
#include <functional>
#include <string>

#include "AccountStore.h"
#include "HashWorker.h"
#include "Options.h"
#include "PasswordHash.h"
#include "RateLimiter.h"
#include "SignupForm.h"

namespace kvxserver {

class AccountService {
public:
    // Unavailable: the database could not be asked; nothing is counted against the client.
    enum class LoginResult { Accepted, Refused, Limited, Unavailable };

    struct SignupResult {
        std::int32_t account = 0; // 0 when refused
        std::string error;        // the text for the user when refused
    };

    AccountService(AccountStore& store, const PasswordHash& hash, HashWorker& worker, const Options& options);

    void Login(const std::string& address, std::int32_t account, const std::string& password,
               std::function<void(LoginResult)> done);
    void Signup(const std::string& address, const SignupForm& form, std::function<void(SignupResult)> done);

private:
    void Answer(std::function<void()> answer);
    void CountFailure(const std::string& address, std::int32_t account, bool accountExists);

    AccountStore& store_;
    const PasswordHash& hash_;
    HashWorker& worker_;
    RateLimiter failuresByAddress_;
    RateLimiter failuresByAccount_;
    RateLimiter signupsByAddress_;
};

} // namespace kvxserver

#endif
