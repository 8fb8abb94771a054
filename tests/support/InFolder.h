// Runs a test with a scratch folder as the process's current directory.
#ifndef KVX_TEST_IN_FOLDER_H
#define KVX_TEST_IN_FOLDER_H

#include <windows.h>

#include <gtest/gtest.h>

#include "support/ScratchFolder.h"

class InScratchFolder : public ::testing::Test {
protected:
    InScratchFolder() : folder(::testing::UnitTest::GetInstance()->current_test_info()->name())
    {
        GetCurrentDirectoryA(sizeof previous, previous);
        SetCurrentDirectoryA(folder.Path().c_str());
    }
    ~InScratchFolder() override { SetCurrentDirectoryA(previous); }

    ScratchFolder folder;

private:
    char previous[MAX_PATH] = "";
};

#endif
