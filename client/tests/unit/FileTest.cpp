// The data-file wrapper on real files.
#include <string>

#include "app/File.h"
#include "support/InFolder.h"

namespace {

using FileTest = InScratchFolder;

TEST_F(FileTest, OpenNeedsAnExistingFileAndCreateEmptiesOne)
{
    CFile file;
    EXPECT_FALSE(file.Open("missing.adi"));
    char byte;
    EXPECT_EQ(0u, file.Read(&byte, 1)) << "no file open";

    folder.Write("ad001.adi", std::string(3260, 'x'));
    ASSERT_TRUE(file.Create("ad001.adi"));
    EXPECT_EQ(0u, file.Read(&byte, 1));
    EXPECT_EQ(4u, file.Write("abcd", 4));
    CFile reader;
    ASSERT_TRUE(reader.Open("ad001.adi")) << "files are shared with other readers and writers";
    char back[8] = {};
    EXPECT_EQ(4u, reader.Read(back, sizeof back));
    EXPECT_STREQ("abcd", back);
}

TEST_F(FileTest, ReadsAFileInOnePassFromItsStart)
{
    std::string bytes(5000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    folder.Write("web.pal", bytes);
    CFile file;
    ASSERT_TRUE(file.Open("web.pal"));
    // Room for two whole reads: Wine fails a read whose buffer runs into unmapped memory.
    std::string got(2 * 4096, '\0');
    const DWORD first = file.Read(&got[0], 4096);
    const DWORD second = file.Read(&got[first], 4096);
    EXPECT_EQ(4096u, first);
    EXPECT_EQ(904u, second);
    EXPECT_EQ(0u, file.Read(&got[0], 1)) << "end of file";
    EXPECT_EQ(bytes, got.substr(0, 5000));
}

} // namespace
