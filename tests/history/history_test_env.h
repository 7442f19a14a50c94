#pragma once
// Per-test registry database, scratch folder and offscreen application.

#include "test_support/temp_env.h"
#include "util/qt_app.h"
#include "test_support/scratch_folder.h"

#include <gtest/gtest.h>

namespace zr::test {

class HistoryTest : public ::testing::Test {
protected:
    HistoryTest() { zr::testing::EnsureQtApplication(); }

    zr::testing::TempRegistry registry_;
    ScratchFolder scratch_;
};

}  // namespace zr::test
