#include "core/api/Core.h"
#include "core/model/DynFrame.h"

#include <gtest/gtest.h>

TEST(FramePicture, SetByPathReadBackAndCleared)
{
    DynFrameElement e;
    ASSERT_EQ(CCore::SetFrameElementPicture(&e, u"/home/op/边框.png"), 1);
    EXPECT_EQ(CCore::GetFrameElementPicture(&e), QString::fromUtf8("/home/op/边框.png"));
    EXPECT_EQ(e.Size(), DYNFRAME_ELEMENT_SIZE + 2 * 15);
    EXPECT_EQ(e.Data()[0], '/');
    EXPECT_EQ(e.Data()[1], 0);
    EXPECT_EQ(CCore::SetFrameElementPicture(&e, nullptr), 1);
    EXPECT_TRUE(CCore::GetFrameElementPicture(&e).isEmpty());
    EXPECT_EQ(e.Size(), DYNFRAME_ELEMENT_SIZE);
    EXPECT_EQ(CCore::SetFrameElementPicture(nullptr, u"x"), 0);
}

TEST(FramePicture, APathPastTheSizeWordIsRefusedAndTheOldOneKept)
{
    DynFrameElement e;
    ASSERT_EQ(CCore::SetFrameElementPicture(&e, u"a.png"), 1);
    std::u16string huge(40000, u'x');
    EXPECT_EQ(CCore::SetFrameElementPicture(&e, huge.c_str()), 0);
    EXPECT_EQ(CCore::GetFrameElementPicture(&e), "a.png");
}
