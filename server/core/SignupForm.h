// What a sign-up request asks for, checked against the rules the client can live with: the
// login record carries at most kMaxPassword password characters, and every text must end
// inside its field. The error texts go to the user in the sign-up wizard as they are.
#ifndef KVX_SERVER_SIGNUPFORM_H
#define KVX_SERVER_SIGNUPFORM_H

#include <string>

#include "wire/Packets.h"

namespace kvxserver {

class SignupForm {
public:
    std::string nickname;
    std::string email;
    std::string password;

    // Fills the form from the record; on a rule broken returns false with the text to show.
    bool Read(const SignupRequestRecord& record, std::string& error);
};

} // namespace kvxserver

#endif
