// What both ends of a file transfer check: SHA-256 against the standard's vectors (however the
// bytes are split), and which names may become files.
#include <gtest/gtest.h>

#include <string>

#include "wire/FileName.h"
#include "wire/Sha256.h"

using namespace kvxwire;

TEST(Sha256, MatchesTheStandardsVectorsWhateverTheSplit)
{
    const std::pair<std::string, const char*> cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& [text, digest] : cases) {
        for (std::size_t split : {std::size_t{1}, std::size_t{63}, std::size_t{64}, std::size_t{1000}}) {
            Sha256 sha;
            for (std::size_t at = 0; at < text.size(); at += split)
                sha.Add(text.data() + at, std::min(split, text.size() - at));
            std::string hex;
            for (std::uint8_t b : sha.Finish()) hex += {"0123456789abcdef"[b >> 4], "0123456789abcdef"[b & 15]};
            EXPECT_EQ(hex, digest) << text.size() << " bytes in pieces of " << split;
        }
    }
}

TEST(FileName, OnlyPlainNamesThatStayWhatTheyAreArePassed)
{
    const char* const fit[] = {"map.bsp", ".hidden", "a..b", "console.txt", "com10", "Deathmatch (2).pak"};
    const char* const unfit[] = {"",     "..",        "..\\boot.ini", "../x", "dir\\x",  "dir/x",
                                 "c:x",  "what?",     "tab\there",    "CON",  "nul.txt", "Com1.tar.gz",
                                 "lpt9", "trailing.", "trailing ",    "a|b"};
    for (const char* name : fit) EXPECT_EQ(FileNameProblem(name, 256), nullptr) << name;
    for (const char* name : unfit) EXPECT_NE(FileNameProblem(name, 256), nullptr) << name;
    const std::string tooLong(256, 'x');
    EXPECT_NE(FileNameProblem(tooLong.c_str(), 256), nullptr);
}
