// A bare KVX protocol client in the test process, for setting up accounts on a real server
// without the client under test.
#ifndef KVX_TEST_WIRE_CLIENT_H
#define KVX_TEST_WIRE_CLIENT_H

#include <string>

// Signs up over a fresh connection to `address`:2600; the new account number, or 0 (with
// the server's reason in *error when given) when the server refused or did not answer.
long SignUpOverWire(const std::string& address, const std::string& nickname, const std::string& email,
                    const std::string& password, std::string* error = nullptr);

#endif
